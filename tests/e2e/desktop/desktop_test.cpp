// The real program on the desktop's services: file associations through
// the XDG files (asked back with xdg-mime), and a recording scheduled with
// at that atd starts headless.
#include "platform/atscheduler.h"
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tests/support/tools.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace {

// Runs a program to its end (bounded) in `env`; its standard output.
QByteArray runIn(const QProcessEnvironment& env, const QString& program, const QStringList& args, int* code = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool done = p.waitForStarted(10000) && p.waitForFinished(60000);
    if (!done) {
        p.kill();
        p.waitForFinished(3000);
    }
    if (code)
        *code = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput().trimmed();
}

} // namespace

class XdgAssociations : public ::testing::Test {
protected:
    void SetUp() override
    {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data.path() + "share");
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("TONQUILL_HOME"), home.path());
        env.insert(QStringLiteral("TONQUILL_HEADLESS"), QStringLiteral("1"));
        // Plain XDG rules, whatever desktop the tests run in and whatever
        // the machine has installed.
        env.insert(QStringLiteral("XDG_DATA_DIRS"), data.path() + "system");
        env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        env.remove(QStringLiteral("DESKTOP_SESSION"));
        // Another player that owns playlists.
        QDir().mkpath(data.path() + "share/applications");
        WriteAll(data.path() + "share/applications/vlc.desktop",
                 "[Desktop Entry]\nType=Application\nName=Player\nExec=true %f\nMimeType=audio/x-scpls;\n");
    }
    int tonquill(const QString& sw)
    {
        int code = -1;
        runIn(env, BuildDir() + QStringLiteral("/app/tonquill"), {sw}, &code);
        return code;
    }
    QByteArray defaultFor(const char* mime)
    {
        return runIn(env, QStringLiteral("xdg-mime"),
                     {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(mime)});
    }
    TempFolder data, config, home;
    QProcessEnvironment env;
};

TEST_F(XdgAssociations, PresetsOpenInThePanelUntilUninstalledAndPlaylistsGoBackToTheirOwner)
{
    SKIP_WITHOUT_TOOL("xdg-mime");
    SKIP_WITHOUT_TOOL("desktop-file-validate");
    const QString mimeapps = config.file(QStringLiteral("mimeapps.list"));
    const QByteArray added = "[Added Associations]\naudio/x-scpls=vlc.desktop;\n\n";
    WriteAll(mimeapps, added + "[Default Applications]\naudio/x-scpls=vlc.desktop;\n");
    const QString desktop = data.path() + "share/applications/tonquill-preset.desktop";
    const QString package = data.path() + "share/mime/packages/tonquill-preset.xml";

    for (int run = 0; run < 2; ++run) // a second install keeps everything as it was
        ASSERT_EQ(tonquill(QStringLiteral("-installassc")), 0);
    EXPECT_EQ(defaultFor("application/x-tonquill-preset"), "tonquill-preset.desktop");
    EXPECT_EQ(defaultFor("audio/x-scpls"), "vlc.desktop");
    EXPECT_TRUE(ReadAll(desktop).contains(" %f -noop\n")) << ReadAll(desktop).toStdString();
    int valid = -1;
    const QByteArray complaints = runIn(env, QStringLiteral("desktop-file-validate"), {desktop}, &valid);
    EXPECT_EQ(valid, 0) << complaints.toStdString();
    EXPECT_TRUE(QFile::exists(package));

    ASSERT_EQ(tonquill(QStringLiteral("-uninstallassc")), 0);
    EXPECT_EQ(defaultFor("application/x-tonquill-preset"), "");
    EXPECT_FALSE(QFile::exists(desktop));
    EXPECT_FALSE(QFile::exists(package));
    EXPECT_TRUE(ReadAll(mimeapps).startsWith(added));

    // Playlists given to the program before: kept on install, given back
    // to the player from the backup on uninstall.
    WriteAll(mimeapps, added + "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;\n");
    WriteAll(home.file(QStringLiteral("assoc.mcg")), "vlc.desktop\r\n");
    ASSERT_EQ(tonquill(QStringLiteral("-installassc")), 0);
    EXPECT_EQ(defaultFor("audio/x-scpls"), "tonquill-playlist.desktop");
    ASSERT_EQ(tonquill(QStringLiteral("-uninstallassc")), 0);
    EXPECT_EQ(defaultFor("audio/x-scpls"), "vlc.desktop");
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("assoc.mcg"))));
}

// With no default for playlists the desktop picks any program whose desktop
// file lists the type: ours lists it only while playlists are linked to it.
// Uninstalling leaves nothing of ours in the user's folders, the MIME
// database made for our type included.
TEST_F(XdgAssociations, PlaylistsNotTakenOverAreNotOursAndUninstallingLeavesNothing)
{
    SKIP_WITHOUT_TOOL("xdg-mime");
    SKIP_WITHOUT_TOOL("update-mime-database");
    const auto ours = [&] {
        QStringList files;
        for (const QString& root : {data.path(), config.path()}) {
            QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                if (!file.endsWith(QLatin1String("/vlc.desktop")))
                    files.append(file);
            }
        }
        return files;
    };
    ASSERT_EQ(tonquill(QStringLiteral("-installassc")), 0);
    EXPECT_EQ(defaultFor("application/x-tonquill-preset"), "tonquill-preset.desktop");
    EXPECT_EQ(defaultFor("audio/x-scpls"), "vlc.desktop");
    EXPECT_TRUE(QFile::exists(data.path() + "share/mime/mime.cache")); // the tool made the user's database
    ASSERT_EQ(tonquill(QStringLiteral("-uninstallassc")), 0);
    EXPECT_EQ(ours(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(data.path() + "share/mime"));
    EXPECT_EQ(defaultFor("audio/x-scpls"), "vlc.desktop");
}

// Folders the program may not write and a mimeapps.list that links out of
// the user's folders: the switch says which file could not be written and
// ends with status 1; the link's target is left as it was, and no default
// points at a desktop file that was not written. Read-only folders hold
// only without root's rights, so as root the program runs as "nobody".
TEST_F(XdgAssociations, WhatCannotBeWrittenIsSaidWithStatusOne)
{
    TempFolder elsewhere;
    const QString target = elsewhere.file(QStringLiteral("mimeapps.list"));
    const QByteArray foreign = "[Default Applications]\r\ntext/plain=ed.desktop;\r\n";
    const QString mimeapps = config.file(QStringLiteral("mimeapps.list"));
    const QString share = data.path() + "share";
    const QString applications = share + "/applications";
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* what;
        bool readOnly; // runs without root's rights
        QStringList lockedFolders;
        QString named; // in the message
    } cases[] = {
        {"read-only config folder", true, {config.path()}, mimeapps + " could not be written"},
        {"read-only data folder", true, {share, applications}, "tonquill-preset.desktop could not be written"},
        {"mimeapps.list links outside", false, {}, mimeapps + " leads to " + target},
    };
    env.insert(QStringLiteral("HOME"), home.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(mimeapps);
        ASSERT_TRUE(WriteAll(target, foreign));
        if (c.readOnly)
            ASSERT_TRUE(WriteAll(mimeapps, foreign));
        else
            ASSERT_TRUE(QFile::link(target, mimeapps));
        QString program = BuildDir() + QStringLiteral("/app/tonquill");
        QStringList args{QStringLiteral("-installassc")};
        if (c.readOnly && root) {
            SKIP_WITHOUT_TOOL("setpriv");
            args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"), program} +
                   args;
            program = QStringLiteral("setpriv");
            for (const QString& open : {data.path(), share, applications, config.path(), home.path()})
                QFile::setPermissions(open, QFileDevice::Permissions(0x7777));
        }
        for (const QString& locked : c.lockedFolders)
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::ExeOther);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString said = QString::fromUtf8(p.readAll());
        for (const QString& locked : c.lockedFolders)
            QFile::setPermissions(locked, QFileDevice::Permissions(0x7777));
        EXPECT_EQ(p.exitCode(), 1) << said.toStdString();
        EXPECT_TRUE(said.contains(c.named)) << said.toStdString();
        EXPECT_EQ(ReadAll(target), foreign);
        if (ReadAll(mimeapps).contains("tonquill-preset.desktop"))
            EXPECT_TRUE(QFile::exists(applications + "/tonquill-preset.desktop"));
    }
}

// One real at job: atd (started here when none runs) starts the installed
// program a minute ahead; it records the local station headless for its
// timed minute and ends.
class AtJob : public ::testing::Test {
protected:
    void TearDown() override
    {
        SystemCommandRunner runner;
        for (const QString& id : jobs)
            runner.Run(QStringLiteral("atrm"), {id});
        if (atd.state() != QProcess::NotRunning) {
            atd.terminate();
            if (!atd.waitForFinished(5000)) {
                atd.kill();
                atd.waitForFinished(3000);
            }
        }
        if (hadHome.isNull())
            qunsetenv("TONQUILL_HOME");
        else
            qputenv("TONQUILL_HOME", hadHome.toLocal8Bit());
    }
    static bool atdRuns()
    {
        QFile pid(QStringLiteral("/run/atd.pid"));
        if (!pid.open(QIODevice::ReadOnly))
            return false;
        const pid_t p = pid.readAll().trimmed().toInt();
        return p > 0 && ::kill(p, 0) == 0;
    }
    QProcess atd;
    QStringList jobs;
    QString hadHome = qEnvironmentVariableIsSet("TONQUILL_HOME") ? qEnvironmentVariable("TONQUILL_HOME") : QString();
};

TEST_F(AtJob, ScheduledRecordingRunsHeadlessAndEndsByItsTimedLength)
{
    SKIP_WITHOUT_TOOL("at");
    if (!atdRuns()) {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("atd"), {"/usr/sbin", "/sbin"}).isEmpty())
            GTEST_SKIP() << "atd is not running and this test can start it only as root (atd -f)";
        atd.start(QStringLiteral("/usr/sbin/atd"), {QStringLiteral("-f")});
        ASSERT_TRUE(atd.waitForStarted(5000));
        ASSERT_TRUE(WaitUntil([] { return atdRuns(); }, 10000)) << "atd -f did not start";
    }
    TempFolder dir, recordings;
    StationProcess station;
    ASSERT_TRUE(station.Start(
        {QStringLiteral("--lifetime"), QStringLiteral("400"), QStringLiteral("--song-seconds"), QStringLiteral("20")},
        dir.file(QStringLiteral("station.log"))));
    const QString preset = dir.file(QStringLiteral("timed.tvp"));
    WriteAll(preset,
             QStringLiteral("At Station\r\nhttp://127.0.0.1:%1/station.pls\r\nSONGNAMEONLY\r\n%2\r\n 1 \r\n 0 \r\n")
                 .arg(station.Port())
                 .arg(recordings.path())
                 .toUtf8());
    qputenv("TONQUILL_HOME", dir.path().toLocal8Bit()); // the job keeps the environment it was made in

    SystemCommandRunner runner;
    AtScheduler scheduler(runner);
    ScheduledTask task;
    task.name = QStringLiteral("tonquill e2e %1").arg(::getpid());
    task.program = BuildDir() + QStringLiteral("/app/tonquill");
    task.workingDirectory = dir.path();
    task.parameters = preset;
    task.creator = QStringLiteral("Tonquill");
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime start = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(60);
    task.trigger = {start.date(), start.time(), 1, 1};
    task.hasTrigger = true;
    std::optional<TaskReply> stored;
    scheduler.Store(task, [&stored](const TaskReply& r) { stored = r; });
    ASSERT_TRUE(WaitUntil([&stored] { return stored.has_value(); }, 30000));
    ASSERT_TRUE(stored->ok()) << stored->error.toStdString();
    task = stored->task;
    jobs.append(task.id);

    // The job leaves the queue when it has run to its end (atq asked now
    // and then, not on every turn of the wait).
    int turns = 0;
    const auto finished = [&] {
        return ++turns % 200 == 0 && !runner.Run(QStringLiteral("atq"), {}).out.contains(task.id.toLatin1() + '\t');
    };
    ASSERT_TRUE(WaitUntil(finished, 240000)) << "the job did not finish";
    const qint64 ranFor = start.secsTo(QDateTime::currentDateTime());
    EXPECT_GE(ranFor, 55) << "the recording ended before its minute";
    EXPECT_LT(ranFor, 150);
    const QFileInfoList files = QDir(recordings.path()).entryInfoList({QStringLiteral("*.mp3")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << station.Output().toStdString();
    for (const QFileInfo& f : files) {
        const QByteArray bytes = ReadAll(f.filePath());
        EXPECT_GT(bytes.size(), 128);
        EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), "TAG") << f.fileName().toStdString();
    }
}
