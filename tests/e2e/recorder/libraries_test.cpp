// What the real program maps while it records without a display: Qt Core
// and Network, no widgets, graphics or sound libraries; the audio output
// part only once a run that is asked to play starts listening.
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The file names of the shared objects a process maps.
QStringList mappedLibraries(qint64 pid)
{
    QStringList names;
    const QByteArray maps = ReadAll(QStringLiteral("/proc/%1/maps").arg(pid));
    for (const QByteArray& line : maps.split('\n')) {
        const qsizetype slash = line.lastIndexOf('/');
        if (slash < 0 || !line.contains(".so"))
            continue;
        const QString name = QString::fromUtf8(line.mid(slash + 1));
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

bool maps(const QStringList& libraries, const QString& prefix)
{
    return std::any_of(libraries.begin(), libraries.end(), [&](const QString& l) { return l.startsWith(prefix); });
}

} // namespace

TEST(RecorderLibraries, AHeadlessRecorderMapsNoWindowsOrSoundUnlessItPlays)
{
    const QByteArray relayTaken = "Another recorder is relaying on";
    const struct {
        const char* listen; // TONQUILL_LISTEN
        bool plays;
    } cases[] = {{"0", false}, {"1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("TONQUILL_LISTEN=") + c.listen);
        TempFolder home;
        TempFolder folder;
        StationProcess station;
        ASSERT_TRUE(station.Start({}, home.file(QStringLiteral("station.log"))));
        // "!L-" asks the preset to listen: the relay starts in either case.
        const QString preset = home.file(QStringLiteral("maps.tvp"));
        const QString playlist =
            QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream&as=.pls").arg(station.Port());
        WriteAll(preset, (QStringLiteral("!L-Maps FM\r\n") + playlist + "\r\nFILENAME maps.mp3\r\n" + folder.path() +
                          "\r\n 0 \r\n 0 \r\n")
                             .toUtf8());
        Tonquill tonquill(home.path());
        tonquill.SetEnvironment(QStringLiteral("TONQUILL_LISTEN"), QString::fromLatin1(c.listen));
        ASSERT_TRUE(tonquill.Start({preset}));
        const QString recording = folder.file(QStringLiteral("maps.mp3"));
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo(recording).size() > 16000; }, 20000))
            << tonquill.Output().constData() << tonquill.Errors().constData();
        QStringList libraries = mappedLibraries(tonquill.Pid());
        if (c.plays) {
            // Another program on this machine may hold the relay's port.
            if (tonquill.Output().contains(relayTaken))
                GTEST_SKIP() << "the relay's port is taken here";
            ASSERT_TRUE(WaitUntil(
                [&] { return maps(libraries = mappedLibraries(tonquill.Pid()), "libtonquill-sound.so"); }, 15000))
                << tonquill.Output().constData() << libraries.join(' ').toStdString();
            // Qt Multimedia draws in Qt Gui, only now.
            EXPECT_TRUE(maps(libraries, QStringLiteral("libQt6Multimedia.so")));
        } else {
            for (const char* absent : {"libQt6Multimedia.so", "libQt6Gui.so", "libGL", "libX11", "libasound.so",
                                       "libpulse", "libtonquill-sound.so", "libtonquill-mixer.so",
                                       "libtonquill-image.so", "libavcodec", "libswresample"})
                EXPECT_FALSE(maps(libraries, QString::fromLatin1(absent))) << absent;
        }
        for (const char* absent : {"libQt6Widgets.so", "libtonquill-desktop.so"})
            EXPECT_FALSE(maps(libraries, QString::fromLatin1(absent))) << absent;
        for (const char* present : {"libQt6Core.so", "libQt6Network.so", "libmpg123.so"})
            EXPECT_TRUE(maps(libraries, QString::fromLatin1(present))) << present;
        // Still recording: the file grows while nothing more is loaded.
        const qint64 had = QFileInfo(recording).size();
        EXPECT_TRUE(WaitUntil([&] { return QFileInfo(recording).size() > had; }, 10000));
        tonquill.Signal(SIGTERM);
        ASSERT_TRUE(tonquill.WaitForEnd(10000));
        EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    }
}
