// Listening to an Ogg station while it is recorded: what the relay is told.
#include "fixture.h"
#include "tests/recorder/demux/oggpages.h"

#include <QFileInfo>

namespace {

class OggListenTest : public RecorderFixture {};

} // namespace

TEST_F(OggListenTest, ListeningThatBeginsInASongGetsTheSongsHeaderOffered)
{
    const QByteArray first = VorbisSong(11, {"ARTIST=A", "TITLE=One"}, 4);
    const QByteArray second = VorbisSong(12, {"ARTIST=B", "TITLE=Two"}, 2);
    // Pages of the first song: the header is its first two.
    const qsizetype page = PacketsPage(0, 11, 2, {QByteArray(300, 'a')}, 1024).size();
    const qsizetype header = first.size() - 4 * page;
    recordSongsContinuously();
    startOnStation();
    // The station's bytes come on the recorder's socket; each piece is
    // waited for by what the relay is told of it.
    const auto send = [&](const QByteArray& bytes, const std::function<bool()>& arrived) {
        station.last()->write(bytes);
        return WaitUntil(arrived);
    };
    ASSERT_TRUE(
        send("ICY 200 OK\r\nContent-Type: application/ogg\r\nicy-name:X\r\n\r\n" + first.left(header + page + 7),
             [&] { return QFileInfo(folder.file(QStringLiteral("A - One.ogg"))).size() == header + page; }));
    EXPECT_EQ(relay.begun, QList<QByteArray>{"application/ogg (ogg)"});
    EXPECT_TRUE(relay.offered.isEmpty()) << "not listening";
    relay.on = true;
    const QByteArray rest = first.mid(header + page + 7) + second;
    ASSERT_TRUE(send(rest.left(30), [&] { return relay.pushed.size() == 30; }));
    EXPECT_EQ(relay.offered, first.left(header));
    ASSERT_TRUE(send(rest.mid(30, rest.size() - 30 - page), [&] { return relay.pushed.size() == rest.size() - page; }));
    EXPECT_EQ(relay.offered, second.left(header)) << "the next song's";
    ASSERT_TRUE(send(rest.right(page), [&] { return relay.pushed.size() == rest.size(); }));
    EXPECT_EQ(relay.pushed, rest);
    recorder->StopRecording();
}
