// Pictures the stream brings: an HLS tag's APIC (or ID3v2.2 PIC) frame
// read, and the recording's covers taking what the stream brings or
// names, the first source winning.
#include "config/usersettings.h"
#include "recorder/hlsid3.h"
#include "recorder/recordercovers.h"
#include "recorder/songwriter.h"
#include "tests/recorder/cover/pictures.h"
#include "tests/recorder/cover/pictureserver.h"
#include "tests/support/eventwait.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

QByteArray be(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char(v >> (8 * i)));
    return out;
}

QByteArray syncSafe(quint32 v)
{
    return QByteArray() + char((v >> 21) & 0x7f) + char((v >> 14) & 0x7f) + char((v >> 7) & 0x7f) + char(v & 0x7f);
}

// An ID3v2 tag of `version` holding `frames` (id, body).
QByteArray tag(int version, const QList<QPair<QByteArray, QByteArray>>& frames)
{
    QByteArray body;
    for (const auto& [id, content] : frames) {
        if (version == 2)
            body += id + be(quint32(content.size()), 3) + content;
        else
            body += id + (version == 4 ? syncSafe(quint32(content.size())) : be(quint32(content.size()), 4)) +
                    QByteArray(2, '\0') + content;
    }
    return "ID3" + QByteArray() + char(version) + char(0) + char(0) + syncSafe(quint32(body.size())) + body;
}

QByteArray apic(const QByteArray& mime, int kind, const QByteArray& desc, const QByteArray& data, int encoding = 0)
{
    const QByteArray end = (encoding == 1 || encoding == 2) ? QByteArray(2, '\0') : QByteArray(1, '\0');
    return QByteArray(1, char(encoding)) + mime + '\0' + char(kind) + desc + end + data;
}

struct ApicCase {
    const char* what;
    QByteArray tag;
    const char* picture;
    const char* type;
};

TEST(HlsId3Picture, TheTagsPictureIsRead)
{
    const QByteArray title = QByteArray("\x03", 1) + "Song";
    const ApicCase cases[] = {
        {"ID3v2.4 front cover", tag(4, {{"TIT2", title}, {"APIC", apic("image/jpeg", 3, "front", "JJJJ")}}), "JJJJ",
         "image/jpeg"},
        {"ID3v2.3, no description", tag(3, {{"APIC", apic("image/png", 0, "", "PPPP")}}), "PPPP", "image/png"},
        {"UTF-16 description",
         tag(3, {{"APIC", apic("image/jpeg", 3,
                               QByteArray("\xff\xfe"
                                          "d\0",
                                          4),
                               "UUUU", 1)}}),
         "UUUU", "image/jpeg"},
        {"the front cover wins over one before it",
         tag(4, {{"APIC", apic("image/png", 4, "back", "BACK")}, {"APIC", apic("image/jpeg", 3, "", "FRONT")}}),
         "FRONT", "image/jpeg"},
        {"the first of two other pictures",
         tag(4, {{"APIC", apic("image/png", 4, "", "ONE")}, {"APIC", apic("image/png", 5, "", "TWO")}}), "ONE",
         "image/png"},
        {"ID3v2.2 PIC",
         tag(2, {{"PIC", QByteArray("\0JPG\x03"
                                    "d\0DATA",
                                    11)}}),
         "DATA", "JPG"},
        {"no data after the description",
         tag(4, {{"APIC", QByteArray("\0image/jpeg\0\x03"
                                     "desc",
                                     17)}}),
         "", ""},
        {"cut before its kind", tag(4, {{"APIC", QByteArray("\0image/jpeg", 11)}}), "", ""},
        {"no picture", tag(4, {{"TIT2", title}}), "", ""},
    };
    for (const ApicCase& c : cases) {
        SCOPED_TRACE(c.what);
        const HlsId3Tag t = ReadHlsId3Tag(c.tag);
        ASSERT_TRUE(t.ok) << t.error.toStdString();
        EXPECT_EQ(t.picture, QByteArray(c.picture));
        EXPECT_EQ(t.pictureType, QByteArray(c.type));
    }
}

class CoversTest : public ::testing::Test {
protected:
    CoversTest()
    {
        SongWriterSetup setup;
        setup.folder = [] { return QString(); };
        setup.mode = [] { return SongWriter::Mode::PerSong; };
        setup.stationTitle = [] { return QString(); };
        setup.streamFile = [] { return QString(); };
        setup.startPaused = [] { return false; };
        setup.now = [] { return QDateTime(QDate(2026, 12, 5), QTime(12, 0)); };
        setup.awaitingFirstBlock = [] { return false; };
        setup.onEvent = [](const SongEvent&) {};
        writer = std::make_unique<SongWriter>(setup);
        covers = std::make_unique<RecorderCovers>(*writer);
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                             QByteArray::number(jpeg.size()) + "\r\n\r\n" + jpeg);
                });
            }
        });
    }
    QByteArray url(const char* path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(server.serverPort()) + path;
    }
    const QByteArray jpeg = pictures::plain(30, 20, "jpeg");
    const QByteArray png = pictures::plain(10, 10, "png");
    std::unique_ptr<SongWriter> writer;
    std::unique_ptr<RecorderCovers> covers;
    QTcpServer server;
    int requests = 0;
};

TEST_F(CoversTest, AStreamUrlPictureBecomesTheSongsCoverUnlessTheStreamBroughtOne)
{
    QSignalSpy changed(covers.get(), &RecorderCovers::coverChanged);
    const QString song = writer->SongNameFor(QStringLiteral("A - B"));
    covers->StreamUrl(QStringLiteral("A - B"), url("/a.jpg"));
    ASSERT_TRUE(WaitUntil([&] { return changed.size() == 1; }));
    EXPECT_EQ(changed[0][0].toString(), song);
    EXPECT_EQ(writer->Covers().For(song).data, jpeg);
    EXPECT_EQ(writer->Covers().SourceFor(song), CoverSource::StreamUrl);
    // Named again in the next block: not fetched again.
    covers->StreamUrl(QStringLiteral("A - B"), url("/a.jpg"));
    // The stream's own picture is better.
    covers->StreamPicture(QStringLiteral("A - B"), png, "PNG");
    EXPECT_EQ(writer->Covers().For(song).data, png);
    EXPECT_EQ(changed.size(), 2);

    // A song whose stream brought a picture keeps it over its StreamUrl.
    const QString other = writer->SongNameFor(QStringLiteral("C - D"));
    covers->StreamPicture(QStringLiteral("C - D"), jpeg, "image/jpg");
    covers->StreamUrl(QStringLiteral("C - D"), url("/c.jpg"));
    EXPECT_EQ(writer->Covers().SourceFor(other), CoverSource::Stream);
    EXPECT_EQ(covers->Fetcher().Pending(), 0);
    EXPECT_EQ(requests, 1);
}

TEST_F(CoversTest, BadAddressesAndPicturesAreRefusedAndOffTakesNothing)
{
    QSignalSpy refused(covers.get(), &RecorderCovers::coverRefused);
    covers->StreamUrl(QStringLiteral("A - B"), "file:///etc/passwd");
    covers->StreamUrl(QStringLiteral("A - B"), "ftp://127.0.0.1/a.jpg");
    covers->StreamPicture(QStringLiteral("A - B"), "<html>", "image/jpeg");
    EXPECT_EQ(refused.size(), 3);
    EXPECT_EQ(writer->Covers().SourceFor(writer->SongNameFor(QStringLiteral("A - B"))), CoverSource::None);
    EXPECT_EQ(covers->Fetcher().Pending(), 0);

    covers->SetEnabled(false);
    covers->StreamPicture(QStringLiteral("E - F"), jpeg, "image/jpeg");
    covers->StreamUrl(QStringLiteral("E - F"), url("/e.jpg"));
    EXPECT_EQ(writer->Covers().SourceFor(writer->SongNameFor(QStringLiteral("E - F"))), CoverSource::None);
    EXPECT_EQ(covers->Fetcher().Pending(), 0);
    EXPECT_TRUE(covers->Current().IsNull());
}

TEST_F(CoversTest, TheStationLogoStandsInAndABadOneIsRefused)
{
    covers->SetStationLogo(png);
    EXPECT_EQ(covers->Current().data, png);
    EXPECT_EQ(writer->Covers().For(QStringLiteral("Any - Song.mp3")).data, png);
    QSignalSpy refused(covers.get(), &RecorderCovers::coverRefused);
    covers->SetStationLogo(pictures::pngClaiming(60000, 60000));
    EXPECT_EQ(refused.size(), 1);
    EXPECT_TRUE(covers->Current().IsNull());
}

} // namespace

namespace {

TEST_F(CoversTest, AStationsOwnPictureIsKeptByItsAddress)
{
    TempFolder dir;
    SetUserSettingsFolder(dir.path());
    const QString address = QStringLiteral("http://127.0.0.1:8000/listen.pls?sid=1&x=a/b");
    const QString other = QStringLiteral("http://127.0.0.1:8000/other.pls");
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("logo.png")), png));
    SetStationPicturePath(address, dir.file(QStringLiteral("logo.png")));
    EXPECT_EQ(StationPicturePath(address), dir.file(QStringLiteral("logo.png")));
    EXPECT_EQ(StationPicturePath(QStringLiteral(" ") + address + QStringLiteral(" ")), StationPicturePath(address));
    EXPECT_TRUE(StationPicturePath(other).isEmpty());
    EXPECT_TRUE(StationPicturePath(QString()).isEmpty());

    covers->LoadStationLogo(address);
    EXPECT_EQ(covers->Current().data, png);
    covers->LoadStationLogo(other); // a station without one has none
    EXPECT_TRUE(covers->Current().IsNull());
    // A picture file that is gone or is no picture gives none.
    SetStationPicturePath(other, dir.file(QStringLiteral("gone.png")));
    covers->LoadStationLogo(other);
    EXPECT_TRUE(covers->Current().IsNull());
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("page.png")), "<html></html>"));
    SetStationPicturePath(other, dir.file(QStringLiteral("page.png")));
    covers->LoadStationLogo(other);
    EXPECT_TRUE(covers->Current().IsNull());
    SetUserSettingsFolder(QString());
}

// What the stream leaves without a picture: a station added from the
// directory shows the directory's picture (unless the user set one), and
// with look-ups on a song gets the cover service's, which a picture in the
// stream still replaces.
TEST_F(CoversTest, TheDirectorysPictureAndTheLookUpFillWhatTheStreamLeaves)
{
    TempFolder dir;
    SetUserSettingsFolder(dir.path());
    PictureServer services;
    const char* release = "0f6ac1b2-3c4d-4e5f-8a9b-0c1d2e3f4a5b";
    const QByteArray found = QByteArray(R"({"recordings":[{"releases":[{"id":")") + release + R"("}]}]})";
    services.answers = {
        {"/logo.png", {okHead("image/png", png.size()), png}},
        {"/ws/2/recording/", {okHead("application/json", found.size()), found}},
        {QByteArray("/release/") + release + "/front-500", {okHead("image/jpeg", jpeg.size()), jpeg}},
    };
    const QString playlist = dir.file(QStringLiteral("Station.pls"));
    ASSERT_TRUE(WriteAll(playlist, "[playlist]\r\nStationUUID=u1\r\nStationLogo=" +
                                       services.url(QStringLiteral("/logo.png")).toEncoded() +
                                       "\r\nFile1=http://127.0.0.1:1/s\r\n"));
    QSignalSpy changed(covers.get(), &RecorderCovers::coverChanged);
    covers->LoadStationLogo(playlist);
    ASSERT_TRUE(WaitUntil([&] { return covers->Current().data == png; }, 5000));
    EXPECT_EQ(changed.size(), 1);
    // The user's own picture for the station wins.
    const QByteArray own = pictures::plain(12, 12, "png", 0xff00ff00);
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("own.png")), own));
    SetStationPicturePath(playlist, dir.file(QStringLiteral("own.png")));
    covers->LoadStationLogo(playlist);
    EXPECT_EQ(covers->Current().data, own);
    EXPECT_EQ(services.requests, 1);

    const QString host = services.url(QString()).toString();
    covers->Lookup().SetHosts({host, host});
    covers->Titled(QStringLiteral("Artist - Off")); // look-ups are off
    covers->SetLookupEnabled(true);
    covers->Titled(QStringLiteral("No artist here"));
    covers->Titled(QStringLiteral("Artist - Song"));
    const QString song = writer->SongNameFor(QStringLiteral("Artist - Song"));
    ASSERT_TRUE(WaitUntil([&] { return covers->For(song).data == jpeg; }, 8000));
    EXPECT_EQ(services.requests, 3); // the logo, one search, one picture
    EXPECT_TRUE(services.targets[1].contains("Song"));
    covers->StreamPicture(QStringLiteral("Artist - Song"), png, "image/png");
    EXPECT_EQ(covers->For(song).data, png);
    SetUserSettingsFolder(QString());
}

} // namespace
