// The real program, headless, recording from the local test station.
// (A preset's playlist address must end in ".pls"; the station's query
// options are followed by "&as=.pls" for that.)
#include "stationprocess.h"
#include "tonquillprocess.h"

#include "tests/support/days.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <vector>

namespace {

QString writePreset(const TempFolder& dir, const QString& title, const QString& playlist, const QString& capture,
                    const QString& folder, const QString& minutes, const QString& days = QStringLiteral(" 0 "))
{
    const QString path = dir.file(QStringLiteral("test.tvp"));
    const QByteArray text = (title + "\r\n" + playlist + "\r\n" + capture + "\r\n" + folder + "\r\n" + minutes + "\r\n" +
                             days + "\r\n")
                                .toUtf8();
    WriteAll(path, text);
    return path;
}

// The audio in a recording file: its bytes without the ID3v1 tag.
QByteArray audioOf(const QString& path)
{
    QByteArray bytes = ReadAll(path);
    if (bytes.size() >= 128 && bytes.mid(bytes.size() - 128, 3) == "TAG")
        bytes.chop(128);
    return bytes;
}

int run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    return RunTool(program, args, out);
}

}  // namespace

class HeadlessRecording : public ::testing::Test {
protected:
    // These runs count every byte the station sent, so songs are cut at
    // the byte, not in the silence.
    void SetUp() override
    {
        ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\n"));
    }
    TempFolder dir;
    TempFolder recordings;
    StationProcess station;
    QString log() const { return dir.file(QStringLiteral("station.log")); }
};

TEST_F(HeadlessRecording, SongsAreSplitTaggedAndNothingIsLost)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("4000"),
                               QStringLiteral("--song-bytes"), QStringLiteral("70000"), QStringLiteral("--titles"),
                               QStringLiteral("Alpha - First,Beta - Caf\u00e9 Song,Gamma - Third")},
                              log()));
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D200000%26down%3D600&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("E2E Station"), playlist, QStringLiteral("SONGNAMEONLY"),
                                       recordings.path(), QStringLiteral(" 0 "));
    const DaysOfTheTest days;
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    // The station sends 200000 audio bytes (three songs after a short
    // station-name part), closes, and answers 404 from then on. The recorder
    // keeps trying to reconnect; then it is stopped.
    ASSERT_TRUE(WaitUntil([&] { return AudioSentByStation(log()) >= 200000; }, 20000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR] NETWORK: Reconnecting...", 9000)) << tonquill.Output().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    const QByteArray out = tonquill.Output();
    EXPECT_TRUE(out.contains("Saved " + recordings.file(QStringLiteral("Alpha - First.mp3")).toUtf8())) << out.constData();

    const QStringList files = QDir(recordings.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    qint64 audio = 0;
    for (const QString& f : files)
        audio += audioOf(recordings.file(f)).size();
    station.Stop();
    EXPECT_EQ(audio, AudioSentByStation(log()));
    EXPECT_EQ(audio, 200000);
    EXPECT_TRUE(files.contains(QStringLiteral("Alpha - First.mp3"))) << files.join(',').toStdString();
    EXPECT_TRUE(files.contains(QString::fromUtf8("Beta - Caf\u00e9 Song.mp3"))) << files.join(',').toStdString();

    // Every song file is tagged, and the tag reads back through a real tool.
    for (const QString& f : files) {
        const QByteArray bytes = ReadAll(recordings.file(f));
        EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG")) << f.toStdString();
    }
    // id3v2 shows the tag's Latin-1 bytes as they are.
    QByteArray listing;
    ASSERT_EQ(run(QStringLiteral("id3v2"), {QStringLiteral("-l"), recordings.file(QString::fromUtf8("Beta - Caf\u00e9 Song.mp3"))},
                  &listing),
              0);
    EXPECT_TRUE(listing.contains("Title  : Caf\xE9 Song")) << listing.constData();
    EXPECT_TRUE(listing.contains("Artist: Beta")) << listing.constData();
    const QList<QDate> recordedOn = days.days();
    EXPECT_TRUE(std::any_of(recordedOn.cbegin(), recordedOn.cend(), [&](const QDate& d) {
        return listing.contains("Comment: Rec: Tavrix " + d.toString(Qt::ISODate).toLatin1());
    })) << listing.constData();
    // The audio decodes.
    QByteArray decoded;
    EXPECT_EQ(run(QStringLiteral("mpg123"), {QStringLiteral("-t"), recordings.file(QStringLiteral("Alpha - First.mp3"))},
                  &decoded),
              0);
}

TEST_F(HeadlessRecording, StationAboveThePort32767Records)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--fast"), QStringLiteral("--high-port")}, log()));
    ASSERT_GT(station.Port(), 32767);
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D30000%26down%3D600&as=.pls")
            .arg(station.Port());
    // After its one stream the station is down: the reconnects get 404.
    const QString preset = writePreset(dir, QStringLiteral("High FM"), playlist, QStringLiteral("FILENAME high.mp3"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(recordings.file(QStringLiteral("high.mp3"))).size() >= 30000; }, 15000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(audioOf(recordings.file(QStringLiteral("high.mp3"))).size(), 30000);
}

TEST_F(HeadlessRecording, SingleFileAcrossAStallAndReconnectKeepsEveryByte)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--fast"), QStringLiteral("--stall-after"), QStringLiteral("50000")}, log()));
    // The first connection stalls after 50000 bytes; the reconnect gets the full stream of 30000.
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stall&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Stall FM"), playlist, QStringLiteral("FILENAME one.mp3"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR] TIMEOUT! Reconnecting...", 20000)) << tonquill.Output().constData();
    // The second connection stalls as well after its 50000 bytes.
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(recordings.file(QStringLiteral("one.mp3"))).size() >= 100000; }, 15000));
    tonquill.Signal(SIGINT);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0);
    station.Stop();
    const qint64 sent = AudioSentByStation(log());
    EXPECT_EQ(audioOf(recordings.file(QStringLiteral("one.mp3"))).size(), 100000);
    EXPECT_GE(sent, 100000);
}

// The source goes away after each stream and its server answers 404 for
// three seconds: the recorder keeps reconnecting on the back-off schedule and
// the one file holds every byte the server sent.
TEST_F(HeadlessRecording, AnOutageAnswered404IsOutlastedWithNothingLost)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--fast")}, log()));
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D60000%26down%3D3&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Outage FM"), playlist, QStringLiteral("FILENAME one.mp3"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(WaitUntil([&] { return audioOf(recordings.file(QStringLiteral("one.mp3"))).size() >= 120000; }, 30000))
        << tonquill.Output().constData();
    // Stopped while the source is down after the second stream, so no
    // stream is cut off half way.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const QByteArray text = ReadAll(log());
            const qsizetype lastEnd = text.lastIndexOf("\nEND ");
            return text.count("reason=total") >= 2 && lastEnd >= 0 && text.indexOf("reason=outage", lastEnd) > 0;
        },
        20000));
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0);
    station.Stop();
    const QByteArray out = tonquill.Output();
    EXPECT_TRUE(out.contains("[ERR] NETWORK: Reconnecting...")) << out.constData();
    EXPECT_FALSE(out.contains("Network errors have interrupted")) << out.constData();
    EXPECT_EQ(audioOf(recordings.file(QStringLiteral("one.mp3"))).size(), AudioSentByStation(log()));
}

// An ssh session that closes sends SIGHUP: the recording ends like SIGTERM,
// its file closed and tagged, and "Saved" names it with its size.
TEST_F(HeadlessRecording, SighupClosesAndTagsTheRecording)
{
    ASSERT_TRUE(station.Start({}, log()));
    const QString playlist = QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Hangup FM"), playlist, QStringLiteral("FILENAME hup.mp3"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    const QString file = recordings.file(QStringLiteral("hup.mp3"));
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(file).size() > 20000; }, 20000)) << tonquill.Output().constData();
    tonquill.Signal(SIGHUP);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonquill.ExitCode(), 0);
    const QByteArray bytes = ReadAll(file);
    EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
    EXPECT_TRUE(tonquill.Output().contains("Saved " + file.toUtf8() + " (" + QByteArray::number(bytes.size()) + " bytes)"))
        << tonquill.Output().constData();
}

TEST_F(HeadlessRecording, FailoverFromAFullServerToTheNext)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--fast")}, log()));
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/icy400,/stream%3Ftotal%3D40000%26down%3D600&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Failover FM"), playlist, QStringLiteral("archive"),
                                       recordings.path(), QStringLiteral(" 0 "));
    const DaysOfTheTest days;
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR]: Server full, trying server 1...", 15000)) << tonquill.Output().constData();
    // Named after the day the recorder read from its clock.
    QString archive;
    ASSERT_TRUE(WaitUntil([&] {
        for (const QDate& d : days.days()) {
            archive = recordings.file(QStringLiteral("archive-%1.mp3").arg(d.toString(QStringLiteral("MMddyyyy"))));
            if (QFileInfo(archive).size() >= 40000)
                return true;
        }
        return false;
    }, 15000)) << tonquill.Output().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    // After its one stream the station is down (404), so nothing follows.
    EXPECT_EQ(audioOf(archive).size(), 40000);
}

TEST_F(HeadlessRecording, RecordingThatCannotStartExitsNonZeroWithItsMessage)
{
    ASSERT_TRUE(station.Start({QStringLiteral("--refusing-port")}, log()));
    const QString playlist = QStringLiteral("http://127.0.0.1:%1/station.pls?paths=refused&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Nowhere FM"), playlist, QStringLiteral("SONGNAMEONLY"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(tonquill.WaitForEnd(20000));
    EXPECT_EQ(tonquill.ExitCode(), 1);
    EXPECT_TRUE(tonquill.Errors().contains("The computer could not connect to the stream!")) << tonquill.Errors().constData();
}

TEST_F(HeadlessRecording, MissingPresetExitsNonZero)
{
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({dir.file(QStringLiteral("nothing here.tvp"))}));
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 1);
    EXPECT_TRUE(tonquill.Errors().contains("The preset file specified does not exist!"));
}

// The station goes away for longer than the user's give-up time: the
// recording ends with the message, its file closed and tagged with every
// byte the station sent, and the unattended program ends by itself.
TEST_F(HeadlessRecording, AnOutageLongerThanTheGiveUpTimeEndsTheProgram)
{
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\nGiveUpMinutes=1\r\n"));
    ASSERT_TRUE(station.Start({QStringLiteral("--fast")}, log()));
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D40000%26down%3D600&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Gone FM"), playlist, QStringLiteral("FILENAME gone.mp3"),
                                       recordings.path(), QStringLiteral(" 0 "));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR] NETWORK: Reconnecting...", 20000)) << tonquill.Output().constData();
    ASSERT_TRUE(tonquill.WaitForEnd(120000)) << tonquill.Output().constData();
    EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
    const QByteArray out = tonquill.Output();
    const QByteArray said = out + tonquill.Errors();
    EXPECT_TRUE(said.contains("Network errors have interrupted successful recording of Gone FM!")) << said.constData();
    const QString file = recordings.file(QStringLiteral("gone.mp3"));
    const QByteArray bytes = ReadAll(file);
    EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
    station.Stop();
    EXPECT_EQ(audioOf(file).size(), 40000);
    EXPECT_EQ(AudioSentByStation(log()), 40000);
}

// Two recorders, two programs, one folder, the same station: the second
// writes the title under a numbered name and says so; the first one's file
// is not touched by it.
TEST_F(HeadlessRecording, TwoProgramsOnOneFolderKeepEachOthersAudio)
{
    ASSERT_TRUE(station.Start({}, log()));
    const QString playlist = QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream&as=.pls").arg(station.Port());
    const QString preset = writePreset(dir, QStringLiteral("Twin FM"), playlist, QStringLiteral("SONGNAMEONLY"),
                                       recordings.path(), QStringLiteral(" 0 "));
    const auto files = [&] { return QDir(recordings.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name); };
    TempFolder otherHome;
    Tonquill first(dir.path()), second(otherHome.path());
    ASSERT_TRUE(first.Start({preset}));
    // After the station's short name part comes the first song (30 s).
    const QString name = QStringLiteral("Alpha Artist - First Song.mp3");
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(recordings.file(name)).size() > 8000; }, 20000))
        << first.Output().constData();
    ASSERT_TRUE(second.Start({preset}));
    const QString numbered = QFileInfo(name).completeBaseName() + QStringLiteral(" (2).mp3");
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(recordings.file(numbered)).size() > 8000; }, 20000))
        << second.Output().constData() << files().join(',').toStdString();
    const qint64 firstHad = QFileInfo(recordings.file(name)).size();
    EXPECT_TRUE(second.WaitForOutput(("Another recorder is writing " + name + "; recording to " + numbered).toUtf8(), 10000))
        << second.Output().constData();
    for (Tonquill* t : {&second, &first}) {
        t->Signal(SIGTERM);
        ASSERT_TRUE(t->WaitForEnd(10000));
        EXPECT_EQ(t->ExitCode(), 0);
    }
    EXPECT_GE(audioOf(recordings.file(name)).size(), firstHad - 128);
    EXPECT_EQ(files().filter(QStringLiteral("Alpha")), (QStringList{numbered, name})) << "no other file";
}

// Three recorders of one station, each asked to listen: one relays, the
// others say so once and record all the same; nobody gets a message.
TEST_F(HeadlessRecording, ThreeRecordersOfOneStationRecordWithOneRelaying)
{
    ASSERT_TRUE(station.Start({}, log()));
    const QString playlist = QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream&as=.pls").arg(station.Port());
    const QByteArray said = "Another recorder is relaying on 127.0.0.1:29174; this one records without relaying";
    TempFolder homes[3];
    TempFolder folders[3];
    std::vector<std::unique_ptr<Tonquill>> recorders;
    for (int i = 0; i < 3; ++i) {
        const QString preset = writePreset(homes[i], QStringLiteral("!L-Trio FM"), playlist,
                                           QStringLiteral("FILENAME trio.mp3"), folders[i].path(), QStringLiteral(" 0 "));
        recorders.push_back(std::make_unique<Tonquill>(homes[i].path()));
        ASSERT_TRUE(recorders.back()->Start({preset}));
    }
    const auto saying = [&] {
        int n = 0;
        for (auto& t : recorders)
            n += t->Output().count(said) > 0 ? 1 : 0;
        return n;
    };
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo(folders[i].file(QStringLiteral("trio.mp3"))).size() > 8000; }, 20000))
            << recorders[i]->Output().constData() << recorders[i]->Errors().constData();
    // Another program on this machine may hold the port: then all three say so.
    ASSERT_TRUE(WaitUntil([&] { return saying() >= 2; }, 10000));
    if (saying() == 2) {
        QTcpSocket listener;
        QByteArray heard;
        QObject::connect(&listener, &QTcpSocket::readyRead, [&] { heard += listener.readAll(); });
        listener.connectToHost(QHostAddress::LocalHost, 29174);
        ASSERT_TRUE(WaitUntil([&] { return listener.state() == QAbstractSocket::ConnectedState; }, 5000));
        listener.write("GET /streamer.mp3 HTTP/1.0\r\n\r\n");
        EXPECT_TRUE(WaitUntil([&] { return heard.size() > 1000; }, 5000));
        EXPECT_TRUE(heard.startsWith("ICY 200 OK")) << heard.left(40).constData();
    }
    for (auto& t : recorders) {
        t->Signal(SIGTERM);
        ASSERT_TRUE(t->WaitForEnd(10000));
        EXPECT_EQ(t->ExitCode(), 0);
        EXPECT_EQ(t->Errors(), QByteArray()) << "no message";
        EXPECT_LE(t->Output().count(said), 1) << t->Output().constData();
    }
}
