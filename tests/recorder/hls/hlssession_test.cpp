// The HLS session against a scripted fetcher and a fake clock: the reload
// cadence, segments fetched once and in order, retries, gaps, outages, the
// stream's end, and titles placed at their frame.
#include "platform/tickcount.h"
#include "recorder/hlscrypt.h"
#include "recorder/hlssession.h"
#include "tests/recorder/hls/hlsfixtures.h"

#include <QHash>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <openssl/evp.h>

using namespace hlsfix;

namespace {
// Answers the session's requests from what the test put in; a request for
// anything else fails with 404.
class ScriptedFetcher : public HlsFetcher {
public:
    QHash<QString, QByteArray> bodies;
    QHash<QString, int> failOnce; // address -> status of its next answer
    QStringList asked;

    void Get(const QUrl& url, qsizetype limit, Done done) override
    {
        m_pending = {url, limit, std::move(done)};
        m_busy = true;
    }
    void Abort() override { m_busy = false; }
    bool Busy() const override { return m_busy; }

    // Answers the requests that wait, one by one; returns how many.
    int Serve(int most = 100)
    {
        int served = 0;
        while (m_busy && served < most) {
            Pending p = std::move(m_pending);
            m_busy = false;
            const QString key = p.url.path();
            asked << key;
            HlsFetchResult r;
            if (failOnce.contains(key)) {
                r.status = failOnce.take(key);
                r.error = QStringLiteral("HTTP %1").arg(r.status);
            } else if (bodies.contains(key)) {
                r.body = bodies.value(key);
                r.ok = r.body.size() <= p.limit;
                r.tooLarge = !r.ok;
                r.status = 200;
            } else {
                r.status = 404;
                r.error = QStringLiteral("HTTP 404");
            }
            ++served;
            p.done(r);
        }
        return served;
    }

private:
    struct Pending {
        QUrl url;
        qsizetype limit = 0;
        Done done;
    };
    Pending m_pending;
    bool m_busy = false;
};

class Recorder : public StreamSession::Listener {
public:
    QStringList events; // "title X" and "audio N..M" (frame numbers)
    QStringList notices;
    QByteArray audio;
    QList<SessionEnd> ends;
    int timeouts = 0, reconnects = 0;
    bool began = false;

    void EventBegins() override {}
    void EventEnds() override {}
    void OnStateChanged(ConnectionState, ConnectionState) override {}
    bool Recording() const override { return true; }
    bool Quitting() const override { return false; }
    bool RecordingOpen() const override { return true; }
    bool ConnectionRan() const override { return true; }
    void OnConnecting(const ServerEntry&, bool) override {}
    bool OnConnected(const ServerEntry&, bool) override { return true; }
    void OnStreamBegan(const StreamHead& head) override
    {
        began = true;
        contentType = head.contentType;
    }
    void OnAudio(const char* data, qsizetype size) override
    {
        const QByteArray run(data, size);
        audio += run;
        events << QStringLiteral("audio %1..%2").arg(FrameNumber(run.left(64))).arg(FrameNumber(run.right(64)));
    }
    void OnTitle(const QString& title, qint64, bool) override { events << QStringLiteral("title ") + title; }
    void OnChunkDone() override {}
    void OnProblem(SessionProblem, qint32, const QString& detail) override { notices << detail; }
    void OnLost(bool) override {}
    void OnTimedOut(bool) override { ++timeouts; }
    void OnReconnecting(int, qint32) override { ++reconnects; }
    void OnFailingOver(qint32) override {}
    void OnGaveUp(SessionEnd why) override { ends << why; }
    QByteArray contentType;
};

QByteArray frames(quint32 from, int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += Adts(from + i);
    return b;
}

// A live playlist of segments `first`..`last` of 2 s each (10 frames a
// segment in these fixtures).
QByteArray window(qint64 first, qint64 last, bool end = false, qint64 discontinuityAt = -1)
{
    QByteArray t = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:" + QByteArray::number(first) + "\n";
    for (qint64 s = first; s <= last; ++s) {
        if (s == discontinuityAt)
            t += "#EXT-X-DISCONTINUITY\n";
        t += "#EXTINF:2,Song " + QByteArray::number(s / 3) + "\n/seg/" + QByteArray::number(s) + ".aac\n";
    }
    if (end)
        t += "#EXT-X-ENDLIST\n";
    return t;
}

// AES-128-CBC with PKCS#7 padding, as a station encrypts.
QByteArray encrypt(const QByteArray& plain, const QByteArray& key, const QByteArray& iv)
{
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              &EVP_CIPHER_CTX_free);
    QByteArray out(plain.size() + 16, '\0');
    int written = 0, last = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* v = reinterpret_cast<const unsigned char*>(iv.constData());
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, k, v) != 1 ||
        EVP_EncryptUpdate(ctx.get(), o, &written, reinterpret_cast<const unsigned char*>(plain.constData()),
                          int(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), o + written, &last) != 1)
        return {};
    out.resize(written + last);
    return out;
}

struct Rig {
    FakeTickSource clock;
    Recorder listener;
    ServerList servers;
    ScriptedFetcher* fetcher = nullptr;
    std::unique_ptr<HlsSession> session;

    Rig()
    {
        servers.Add(ServerEntry{
            QStringLiteral("127.0.0.1"), QStringLiteral("/live.m3u8"), QStringLiteral("8000"), {}, false, true});
        auto f = std::make_unique<ScriptedFetcher>();
        fetcher = f.get();
        session = std::make_unique<HlsSession>(clock, listener, servers, std::move(f), [] { return false; });
        for (int s = 0; s < 40; ++s)
            fetcher->bodies.insert(QStringLiteral("/seg/%1.aac").arg(s),
                                   Tag(PrivTimestamp(s * 180000)) + frames(s * 10, 10));
    }
    void start()
    {
        session->Prepare(clock.GetTickCount());
        session->Start();
        fetcher->Serve();
    }
    void playlist(const QByteArray& text) { fetcher->bodies.insert(QStringLiteral("/live.m3u8"), text); }
    // Moves the clock on in steps, answering what is asked.
    void run(int ms)
    {
        for (int t = 0; t < ms; t += 100) {
            clock.advance(100);
            fetcher->Serve();
        }
    }
    QStringList segmentsAsked() const { return fetcher->asked.filter(QStringLiteral("/seg/")); }
};

TEST(HlsSession, LiveStartsThreeFromTheEndAndFetchesEachOnce)
{
    Rig rig;
    rig.playlist(window(0, 5));
    rig.start();
    EXPECT_EQ(rig.segmentsAsked(), QStringList({"/seg/3.aac", "/seg/4.aac", "/seg/5.aac"}));
    EXPECT_EQ(rig.listener.contentType, QByteArray("audio/aac"));
    EXPECT_EQ(rig.session->State(), ConnectionState::Streaming);

    // A changed playlist is reloaded after the target duration, an
    // unchanged one after half of it; nothing is fetched again.
    rig.fetcher->asked.clear();
    rig.run(1900);
    EXPECT_TRUE(rig.fetcher->asked.isEmpty());
    rig.run(100);
    EXPECT_EQ(rig.fetcher->asked, QStringList({"/live.m3u8"}));
    rig.run(1000);
    EXPECT_EQ(rig.fetcher->asked, QStringList({"/live.m3u8", "/live.m3u8"}));
    // Changed: the new segments at once, in order; the next reload a target duration later.
    rig.playlist(window(2, 8));
    rig.fetcher->asked.clear();
    rig.run(1000);
    EXPECT_EQ(rig.fetcher->asked, QStringList({"/live.m3u8", "/seg/6.aac", "/seg/7.aac", "/seg/8.aac"}));
    rig.fetcher->asked.clear();
    rig.run(1900);
    EXPECT_TRUE(rig.fetcher->asked.isEmpty());
    rig.run(200);
    EXPECT_EQ(rig.fetcher->asked, QStringList({"/live.m3u8"}));
    EXPECT_EQ(rig.listener.audio, frames(30, 60));
    EXPECT_EQ(rig.session->MissedSegments(), 0);
}

TEST(HlsSession, FailedSegmentRetriedWhileListedAndGapSaid)
{
    Rig rig;
    rig.playlist(window(0, 2));
    rig.fetcher->failOnce.insert(QStringLiteral("/seg/1.aac"), 503);
    rig.start();
    EXPECT_EQ(rig.segmentsAsked(), QStringList({"/seg/0.aac", "/seg/1.aac"}));
    rig.run(1500);
    EXPECT_EQ(rig.segmentsAsked(), QStringList({"/seg/0.aac", "/seg/1.aac", "/seg/1.aac", "/seg/2.aac"}));
    EXPECT_EQ(rig.listener.audio, frames(0, 30));

    // The window jumps ahead: segments 3 to 6 were never listed long enough.
    rig.playlist(window(7, 9));
    rig.run(2100);
    EXPECT_EQ(rig.session->MissedSegments(), 4);
    EXPECT_TRUE(rig.listener.notices.contains(QStringLiteral("HLS: 4 segment(s) missed (about 8 s)")))
        << rig.listener.notices.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rig.listener.audio, frames(0, 30) + frames(70, 30));
    // A segment that fails until it leaves the window is a gap too.
    rig.fetcher->bodies.remove(QStringLiteral("/seg/10.aac"));
    rig.playlist(window(8, 10));
    rig.run(2100);
    rig.playlist(window(11, 12));
    rig.run(2100);
    EXPECT_EQ(rig.session->MissedSegments(), 5);
    EXPECT_EQ(rig.listener.audio, frames(0, 30) + frames(70, 30) + frames(110, 20));
}

TEST(HlsSession, EndListEndsAfterEverySegment)
{
    Rig rig;
    rig.playlist(window(0, 4, true));
    rig.start();
    EXPECT_EQ(rig.listener.audio, frames(0, 50));
    ASSERT_EQ(rig.listener.ends.size(), 1);
    EXPECT_EQ(rig.listener.ends[0], SessionEnd::StreamEnded);
    // EXTINF titles at the segments' starts, said where they change.
    EXPECT_EQ(rig.listener.events.filter(QStringLiteral("title")).first(), QStringLiteral("title Song 0"));
    EXPECT_EQ(rig.listener.events[0], QStringLiteral("title Song 0"));
}

TEST(HlsSession, StalledPlaylistIsAnOutage)
{
    Rig rig;
    rig.playlist(window(0, 2));
    rig.start();
    rig.run(5900);
    EXPECT_EQ(rig.listener.timeouts, 0);
    rig.run(1200);
    EXPECT_EQ(rig.listener.timeouts, 1);
    EXPECT_EQ(rig.session->State(), ConnectionState::WaitingToRetry);
    EXPECT_TRUE(rig.session->Reconnecting());
    // Taken up where it was: nothing twice, nothing lost that is still listed.
    rig.playlist(window(1, 4));
    rig.run(1100);
    EXPECT_EQ(rig.session->State(), ConnectionState::Streaming);
    EXPECT_EQ(rig.listener.audio, frames(0, 50));
    EXPECT_EQ(rig.session->ReconnectAttempts(), 0);
}

TEST(HlsSession, TimedTitlesCutAtTheirFrame)
{
    Rig rig;
    // MPEG-TS segments with a title in the middle of the second, and one
    // whose time lies in the third (sent at the end of the second).
    const qint64 tick = 1024 * 90000 / 44100;
    for (int s = 0; s < 3; ++s) {
        Ts ts;
        ts.Audio(s * 10 * tick, frames(s * 10, 10));
        if (s == 1) {
            ts.Id3(13 * tick, TitleTag(QStringLiteral("B"), QStringLiteral("X")));
            ts.Id3(24 * tick, TitleTag(QStringLiteral("C"), QStringLiteral("X")));
        }
        if (s == 0)
            ts.Id3(0, TitleTag(QStringLiteral("A"), QStringLiteral("X")));
        rig.fetcher->bodies.insert(QStringLiteral("/seg/%1.aac").arg(s), ts.Bytes());
    }
    rig.playlist(window(0, 2, true, 2));
    rig.start();
    EXPECT_EQ(rig.listener.events, QStringList({"title X - A", "audio 0..9", "audio 10..12", "title X - B",
                                                "audio 13..19", "title X - C", "audio 20..29"}));
    EXPECT_EQ(rig.listener.audio, frames(0, 30));
}

TEST(HlsSession, BadInputSaidAndNothingWritten)
{
    struct Row {
        const char* name;
        QByteArray playlist;
        QByteArray segment;
        QString said;
    };
    const QList<Row> rows = {
        {"a segment that is a web page", window(0, 0, true), "<html>no</html>",
         "HLS: segment 0 is not audio (the segment holds no audio): nothing of it is recorded"},
        {"a playlist over 1 MiB",
         "#EXTM3U\n#EXT-X-TARGETDURATION:2\n" + QByteArray(kMaxHlsPlaylistBytes, '#'),
         {},
         "HLS: the playlist is larger than 1 MiB"},
        {"not a playlist", "<html></html>", {}, "HLS: the answer is not an HLS playlist"},
        {"SAMPLE-AES",
         "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n#EXTINF:2,\n/seg/0.aac\n",
         {},
         "HLS: this station's segments are encrypted with SAMPLE-AES, which cannot be recorded"},
        {"a key not 16 bytes",
         "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-KEY:METHOD=AES-128,URI=\"/key\"\n#EXTINF:2,\n/seg/"
         "0.aac\n#EXT-X-ENDLIST\n",
         QByteArray(32, 'x'), "HLS: the key of segment 0 is not 16 bytes: the segment is passed over"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        rig.playlist(row.playlist);
        rig.fetcher->bodies.insert(QStringLiteral("/key"), QByteArray(15, 'k'));
        if (!row.segment.isEmpty())
            rig.fetcher->bodies.insert(QStringLiteral("/seg/0.aac"), row.segment);
        rig.start();
        rig.run(300);
        EXPECT_TRUE(rig.listener.notices.contains(row.said))
            << rig.listener.notices.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(rig.listener.audio.isEmpty());
    }
}

TEST(HlsSession, NestedMastersRefused)
{
    Rig rig;
    rig.playlist("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n/live.m3u8\n");
    rig.start();
    EXPECT_TRUE(
        rig.listener.notices.contains(QStringLiteral("HLS: the station's playlists are nested more than 3 deep")));
    ASSERT_EQ(rig.listener.ends.size(), 1);
    EXPECT_EQ(rig.listener.ends[0], SessionEnd::Unrecordable);
}
// An fMP4 stream whose initialization section is encrypted: it is
// decrypted with the key and IV in force where its #EXT-X-MAP stands, the
// key fetched before it and once; a section that cannot be read so ends the
// recording with the reason.
TEST(HlsSession, EncryptedInitializationSection)
{
    const QByteArray key = "0123456789abcdef";
    const QByteArray mapIv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    const QByteArray head = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n";
    const QByteArray keyWithIv = "#EXT-X-KEY:METHOD=AES-128,URI=\"/key\",IV=0x" + mapIv.toHex() + "\n";
    const QByteArray keyBySequence = "#EXT-X-KEY:METHOD=AES-128,URI=\"/key\"\n";
    const QByteArray map = "#EXT-X-MAP:URI=\"/init.mp4\"\n";
    QByteArray segments;
    for (int s = 0; s < 3; ++s)
        segments += "#EXTINF:2,\n/seg/" + QByteArray::number(s) + ".m4s\n";
    segments += "#EXT-X-ENDLIST\n";
    const QByteArray init = Mp4Init();
    ASSERT_NE(init.size() % 16, 0) << "the section in the clear must not pass for a cipher text";
    const QStringList fetchedInOrder = {"/live.m3u8", "/key", "/init.mp4", "/seg/0.m4s", "/seg/1.m4s", "/seg/2.m4s"};
    enum class SegmentIv { Sequence, MapIv };
    const struct Row {
        const char* name;
        QByteArray playlist;
        QByteArray initBody;
        SegmentIv segmentIv;
        QByteArray keyBody;
        QStringList asked; // empty: refused
        QString said;
    } rows[] = {
        {"under a key with an IV, the segments' key after it",
         head + keyWithIv + map + keyBySequence + segments,
         encrypt(init, key, mapIv),
         SegmentIv::Sequence,
         key,
         fetchedInOrder,
         {}},
        {"one key with an IV for the section and the segments",
         head + keyWithIv + map + segments,
         encrypt(init, key, mapIv),
         SegmentIv::MapIv,
         key,
         fetchedInOrder,
         {}},
        {"in the clear before the key",
         head + map + keyBySequence + segments,
         init,
         SegmentIv::Sequence,
         key,
         {"/live.m3u8", "/init.mp4", "/key", "/seg/0.m4s", "/seg/1.m4s", "/seg/2.m4s"},
         {}},
        {"under a key that names no IV",
         head + keyBySequence + map + segments,
         encrypt(init, key, HlsSequenceIv(0)),
         SegmentIv::Sequence,
         key,
         {},
         "HLS: the initialization section is encrypted, but its key names no IV"},
        {"in the clear although under a key",
         head + keyWithIv + map + segments,
         init,
         SegmentIv::MapIv,
         key,
         {},
         "HLS: the initialization section could not be decrypted"},
        {"a key that is not 16 bytes",
         head + keyWithIv + map + segments,
         encrypt(init, key, mapIv),
         SegmentIv::MapIv,
         key.left(15),
         {},
         "HLS: the key of the initialization section is not 16 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        rig.playlist(row.playlist);
        rig.fetcher->bodies.insert(QStringLiteral("/key"), row.keyBody);
        rig.fetcher->bodies.insert(QStringLiteral("/init.mp4"), row.initBody);
        for (int s = 0; s < 3; ++s) {
            QList<QByteArray> samples;
            for (int f = 0; f < 10; ++f)
                samples << Adts(quint32(s * 10 + f)).mid(7);
            const QByteArray iv = row.segmentIv == SegmentIv::MapIv ? mapIv : HlsSequenceIv(s);
            rig.fetcher->bodies.insert(QStringLiteral("/seg/%1.m4s").arg(s),
                                       encrypt(Mp4Fragment(quint64(s) * 10240, samples), key, iv));
        }
        rig.start();
        rig.run(300);
        ASSERT_EQ(rig.listener.ends.size(), 1) << rig.listener.notices.join(QLatin1Char('|')).toStdString();
        if (row.asked.isEmpty()) {
            EXPECT_EQ(rig.listener.ends[0], SessionEnd::Unrecordable);
            EXPECT_TRUE(rig.listener.notices.contains(row.said))
                << rig.listener.notices.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(rig.listener.audio.isEmpty());
            EXPECT_TRUE(rig.segmentsAsked().isEmpty());
        } else {
            EXPECT_EQ(rig.listener.ends[0], SessionEnd::StreamEnded);
            EXPECT_EQ(rig.fetcher->asked, row.asked);
            EXPECT_EQ(rig.listener.audio, frames(0, 30));
            EXPECT_TRUE(rig.listener.notices.isEmpty()) << rig.listener.notices.join(QLatin1Char('|')).toStdString();
        }
    }
}
} // namespace
