#include "listen/oggrelay.h"
#include "tests/listen/oggfixtures.h"

#include <gtest/gtest.h>
#include <vector>

using oggfixtures::Codec;
using oggfixtures::Song;

namespace {

// Pages of a chained stream: a Vorbis song (serial 1, pages 0..5), an Opus
// song (serial 2, pages 6..10) and one of an unknown codec (pages 11..14).
QList<QByteArray> chain()
{
    return Song(Codec::Vorbis, 1, 4) + Song(Codec::Opus, 2, 3) + Song(Codec::Other, 3, 3);
}

// `head`, then the pages from `from` to the end of the chain.
std::vector<int> pagesFrom(std::vector<int> head, int from)
{
    for (int i = from; i < 16; ++i)
        head.push_back(i);
    return head;
}

// Byte offset where page `index` begins.
qsizetype startOf(const QList<QByteArray>& pages, int index)
{
    qsizetype at = 0;
    for (int i = 0; i < index; ++i)
        at += pages[i].size();
    return at;
}

QByteArray join(const QList<QByteArray>& pages, const std::vector<int>& which)
{
    QByteArray out;
    for (int i : which)
        out += pages[i];
    return out;
}

// Feeds `stream` in pieces of `chunk`; the first `joinAt` bytes were sent to
// listeners before this one asked. Returns what the new listener gets.
QByteArray listen(OggRelayQueue& queue, const QByteArray& stream, qsizetype joinAt, qsizetype chunk)
{
    qsizetype at = 0;
    auto feed = [&](qsizetype until) {
        while (at < until) {
            const qsizetype n = qMin(chunk, until - at);
            queue.Feed(stream.constData() + at, n);
            at += n;
        }
    };
    feed(joinAt);
    queue.Sent();
    QByteArray got;
    bool joined = false;
    for (int rounds = 0; at < stream.size() && rounds < 100000; ++rounds) {
        feed(qMin(stream.size(), at + chunk));
        if (!joined) {
            const QByteArray first = queue.ForNewListener();
            joined = !first.isEmpty();
            got += first;
        } else {
            got += queue.Pending();
        }
        queue.Sent();
    }
    return got;
}

} // namespace

TEST(OggRelayQueue, ANewListenerGetsTheSongsHeaderThenWholePages)
{
    const QList<QByteArray> pages = chain();
    const QByteArray stream = pages.join();
    struct Case {
        const char* name;
        qsizetype joinAt;
        std::vector<int> expected; // pages, in the order the listener gets them
    };
    const Case cases[] = {
        {"before the first page", 0, pagesFrom({}, 0)},
        {"inside the first song's header", startOf(pages, 1) + 5, pagesFrom({}, 0)},
        {"right after the header", startOf(pages, 2), pagesFrom({}, 0)},
        {"one byte before a page boundary", startOf(pages, 4) - 1, pagesFrom({0, 1}, 3)},
        {"at a page boundary", startOf(pages, 4), pagesFrom({0, 1}, 4)},
        {"one byte after a page boundary", startOf(pages, 4) + 1, pagesFrom({0, 1}, 4)},
        {"inside the song's last page", startOf(pages, 5) + 30, pagesFrom({0, 1}, 5)},
        {"at the chain boundary", startOf(pages, 6), pagesFrom({}, 6)},
        {"inside the next song's first page", startOf(pages, 6) + 3, pagesFrom({}, 6)},
        {"inside the next song's header", startOf(pages, 7) + 3, pagesFrom({}, 6)},
        {"in the next song's audio", startOf(pages, 9) + 10, pagesFrom({6, 7}, 9)},
        {"in an unknown codec's header", startOf(pages, 12) + 10, pagesFrom({}, 11)},
        {"in an unknown codec's audio", startOf(pages, 13) + 10, pagesFrom({11, 12}, 13)},
    };
    for (const Case& c : cases) {
        for (qsizetype chunk : {1, 7, 64, 1000, 100000}) {
            SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
            OggRelayQueue queue;
            EXPECT_EQ(listen(queue, stream, c.joinAt, chunk), join(pages, c.expected));
        }
    }
}

TEST(OggRelayQueue, ListeningThatBeginsInASongUsesTheOfferedHeader)
{
    const QList<QByteArray> pages = chain();
    const QByteArray vorbisHeader = pages[0] + pages[1];
    const QByteArray opusHeader = pages[6] + pages[7];
    struct Case {
        const char* name;
        int fromPage; // the relay sees the stream from the middle of this page
        QByteArray offer;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"offered", 3, vorbisHeader, pagesFrom({0, 1}, 4)},
        {"nothing offered: from the next song", 3, {}, pagesFrom({}, 6)},
        {"the next song's header, offered early", 5, opusHeader, pagesFrom({}, 6)},
        {"not starting with a first page", 3, pages[1], pagesFrom({}, 6)},
        {"torn", 3, vorbisHeader.left(vorbisHeader.size() - 1), pagesFrom({}, 6)},
        {"the same again after the relay saw it", 8, opusHeader, pagesFrom({6, 7}, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OggRelayQueue queue;
        const QByteArray stream = pages.join().mid(startOf(pages, c.fromPage) + 11);
        if (c.fromPage == 8) {
            // The relay saw the next song begin, then the listener asks.
            const QByteArray all = pages.join();
            queue.Feed(all.constData(), startOf(pages, 8));
            queue.Sent();
            queue.Offer(c.offer);
            EXPECT_EQ(listen(queue, all.mid(startOf(pages, 8)), 30, 50), join(pages, c.expected));
            continue;
        }
        queue.Offer(c.offer);
        EXPECT_EQ(listen(queue, stream, 0, 50), join(pages, c.expected));
    }
}

TEST(OggRelayQueue, OnlyGoodWholePagesAreRelayed)
{
    const QList<QByteArray> pages = chain();
    QList<QByteArray> damaged = pages;
    damaged[3][40] = char(damaged[3][40] ^ 0x20); // fails its checksum
    // A connection lost inside a page and made again: the torn page is not
    // glued to what the new connection brings.
    const QByteArray torn = pages[4].left(50);
    struct Case {
        const char* name;
        QList<QByteArray> parts; // fed one after another; Restart between them
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"a damaged page", {damaged.join()}, pagesFrom({0, 1, 2}, 4)},
        {"noise between pages", {pages.mid(0, 3).join() + "noise OggS" + pages.mid(3).join()}, pagesFrom({}, 0)},
        {"a reconnect inside a page", {pages.mid(0, 4).join() + torn, pages.mid(6).join()}, pagesFrom({0, 1, 2, 3}, 6)},
    };
    for (const Case& c : cases) {
        for (qsizetype chunk : {1, 13, 4096}) {
            SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
            OggRelayQueue queue;
            QByteArray got;
            for (const QByteArray& part : c.parts) {
                queue.Restart();
                for (qsizetype at = 0; at < part.size(); at += chunk)
                    queue.Feed(part.constData() + at, qMin(chunk, part.size() - at));
                got += queue.Pending();
                queue.Sent();
            }
            EXPECT_EQ(got, join(pages, c.expected));
        }
    }
}

TEST(OggRelayQueue, TrimmingKeepsWholePagesAndTheHeader)
{
    const QList<QByteArray> pages = Song(Codec::Vorbis, 7, 40);
    OggRelayQueue queue;
    const QByteArray stream = pages.join();
    queue.Feed(stream.constData(), stream.size());
    const qsizetype limit = pages[38].size() + pages[39].size() + pages[40].size() + pages[41].size() - 1;
    queue.TrimTo(limit);
    EXPECT_EQ(queue.Pending(), join(pages, {39, 40, 41}));
    EXPECT_EQ(queue.ForNewListener(), join(pages, {0, 1, 39, 40, 41}));
    queue.TrimTo(0);
    EXPECT_TRUE(queue.Pending().isEmpty());
    EXPECT_TRUE(queue.ForNewListener().isEmpty());
}
