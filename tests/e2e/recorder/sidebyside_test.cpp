// The real program recording three local test stations side by side:
// `tonquill --record a.tvp b.tvp c.tvp`.
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QRegularExpression>
#include <array>
#include <csignal>
#include <gtest/gtest.h>

namespace {


} // namespace

class SideBySideRecording : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every byte is counted: songs are cut at the byte.
        ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\n"));
    }

    // A preset named `title`, recording one file per song from `station`
    // into `folder`; its path (the file name has a space in it).
    QString preset(const QString& title, const StationProcess& station, int total, const QString& folder)
    {
        const QString playlist =
            QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D%2%26down%3D600&as=.pls")
                .arg(station.Port())
                .arg(total);
        const QString path = home.file(title + QStringLiteral(" preset.tvp"));
        WriteAll(path, (title + "\r\n" + playlist + "\r\nSONGNAMEONLY\r\n" + folder + "\r\n 0 \r\n 0 \r\n").toUtf8());
        return path;
    }

    TempFolder home;
};

TEST_F(SideBySideRecording, ThreeStationsRecordEveryByteUnderTheirTitlesAndStopTogether)
{
    const struct {
        QString title;
        QString titles; // the station's songs
        int total;      // the audio it sends before it goes down
    } stations[] = {
        {QStringLiteral("Harbour Jazz"), QStringLiteral("Alpha - One,Alpha - Two"), 90000},
        {QStringLiteral("Night [Owl] FM"), QStringLiteral("Beta - One,Beta - Two,Beta - Three"), 120000},
        {QStringLiteral("Caf\u00e9 Radio"), QStringLiteral("Gamma - One"), 60000},
    };
    std::array<StationProcess, 3> processes;
    std::array<TempFolder, 3> folders;
    QStringList args{QStringLiteral("--record")};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(processes[i].Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("4000"),
                                        QStringLiteral("--song-bytes"), QStringLiteral("40000"),
                                        QStringLiteral("--titles"), stations[i].titles},
                                       home.file(QStringLiteral("station%1.log").arg(i))));
        args << preset(stations[i].title, processes[i], stations[i].total, folders[i].path());
    }
    Tonquill tonquill(home.path());
    ASSERT_TRUE(tonquill.Start(args));
    // Each station sends its audio, closes and answers 404 from then on; every
    // recorder keeps reconnecting until it is stopped.
    for (int i = 0; i < 3; ++i) {
        const QString log = home.file(QStringLiteral("station%1.log").arg(i));
        ASSERT_TRUE(WaitUntil([&] { return AudioSentByStation(log) >= stations[i].total; }, 30000))
            << tonquill.Output().constData() << tonquill.Errors().constData();
        ASSERT_TRUE(
            tonquill.WaitForOutput("[" + stations[i].title.toUtf8() + "] [ERR] NETWORK: Reconnecting...", 15000))
            << tonquill.Output().constData();
    }
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(15000));
    EXPECT_EQ(tonquill.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    EXPECT_TRUE(tonquill.Errors().isEmpty()) << tonquill.Errors().constData();

    // Every line is one station's.
    const QByteArray out = tonquill.Output();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    for (const QByteArray& line : lines)
        EXPECT_TRUE(std::any_of(std::begin(stations), std::end(stations), [&](const auto& s) {
            return line.startsWith("[" + s.title.toUtf8() + "] ");
        })) << line.constData();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(stations[i].title.toStdString());
        const QByteArray prefix = "[" + stations[i].title.toUtf8() + "] ";
        EXPECT_TRUE(out.contains(prefix + "Stopping...")) << out.constData();
        const Recorded r = RecordedIn(folders[i].path());
        // Nothing lost, nothing of another station's: the station's bytes
        // exactly, in its own folder, every file closed and tagged.
        EXPECT_EQ(r.audio, stations[i].total);
        EXPECT_EQ(r.audio, AudioSentByStation(home.file(QStringLiteral("station%1.log").arg(i))));
        EXPECT_EQ(r.untagged, 0) << r.names.join(',').toStdString();
        const QString first = stations[i].titles.section(QLatin1Char(','), 0, 0) + QStringLiteral(".mp3");
        EXPECT_TRUE(r.names.contains(first)) << r.names.join(',').toStdString();
        // No song of another station.
        for (int other = 0; other < 3; ++other) {
            for (const QString& name : r.names)
                EXPECT_TRUE(other == i || !stations[other].titles.contains(name.chopped(4))) << name.toStdString();
        }
        EXPECT_TRUE(out.contains(prefix + "Saved " + QDir(folders[i].path()).filePath(first).toUtf8()))
            << out.constData();
    }
}

// Stations that cannot start say why under their file's name; the others go
// on, and a run whose stations all failed ends on its own with status 1.
TEST_F(SideBySideRecording, AStationThatCannotStartSaysWhyAndTheOthersGoOn)
{
    StationProcess station;
    TempFolder folder;
    ASSERT_TRUE(station.Start({QStringLiteral("--fast")}, home.file(QStringLiteral("station.log"))));
    const QString good = preset(QStringLiteral("Good FM"), station, 30000, folder.path());
    const QString missing = home.file(QStringLiteral("no such.tvp"));
    const QString unknown = home.file(QStringLiteral("notes.txt"));
    Tonquill tonquill(home.path());
    ASSERT_TRUE(tonquill.Start({QStringLiteral("--record"), missing, good, unknown}));
    ASSERT_TRUE(WaitUntil([&] { return RecordedIn(folder.path()).audio >= 30000; }, 20000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    ASSERT_TRUE(tonquill.WaitForOutput("[Good FM] [ERR] NETWORK: Reconnecting...", 15000))
        << tonquill.Output().constData();
    tonquill.Signal(SIGINT);
    ASSERT_TRUE(tonquill.WaitForEnd(15000));
    EXPECT_EQ(tonquill.ExitCode(), 0);
    const QByteArray errors = tonquill.Errors();
    EXPECT_TRUE(errors.contains("[no such.tvp] Tonquill: The preset file specified does not exist!\n"))
        << errors.constData();
    EXPECT_TRUE(errors.contains("[notes.txt] Tonquill: This is not a supported filetype to load!"))
        << errors.constData();
    EXPECT_EQ(RecordedIn(folder.path()).audio, 30000);
    EXPECT_TRUE(tonquill.Output().contains("[Good FM] Stopping...")) << tonquill.Output().constData();

    Tonquill failing(home.path());
    ASSERT_TRUE(failing.Start({QStringLiteral("--record"), missing, unknown}));
    ASSERT_TRUE(failing.WaitForEnd(15000));
    EXPECT_EQ(failing.ExitCode(), 1);
    EXPECT_EQ(failing.Errors().count("] Tonquill: "), 2) << failing.Errors().constData();
}
