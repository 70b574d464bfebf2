// The library's player in the desktop's media controls, on a private bus:
// what they show while it plays a file, what their calls make it do, and
// the recorder shown again once it stops.
#include "tests/support/eventwait.h"
#include "tests/support/fakefileplayer.h"
#include "tests/ui/desktop/privatebus.h"
#include "ui/desktop/librarydesktoplink.h"
#include "ui/desktop/mediacontrols.h"
#include "ui/library/librarymodel.h"
#include "ui/library/libraryplayerbar.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QItemSelectionModel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct RecorderCommands : IMediaCommands {
    void StartRecording() override { log << QStringLiteral("start"); }
    void StopRecording() override { log << QStringLiteral("stop recording"); }
    void TogglePause() override { log << QStringLiteral("toggle recording"); }
    void SetVolume(int percent) override { log << QStringLiteral("recorder volume %1").arg(percent); }
    void Raise() override {}
    void Quit() override {}
    QStringList log;
};

LibraryEntry song(const char* path, const char* artist, const char* title, qint64 size)
{
    LibraryEntry e;
    e.path = QString::fromLatin1(path);
    e.artist = QString::fromLatin1(artist);
    e.title = QString::fromLatin1(title);
    e.station = QStringLiteral("Radio One");
    e.lengthMs = 200000;
    e.size = size;
    e.known = true;
    return e;
}

class LibraryControls : public PrivateBus {
protected:
    void SetUp() override
    {
        PrivateBus::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Shown by size: /m/b, /m/a, /m/c.
        model.Add({song("/m/a.mp3", "Band", "Song A", 20), song("/m/b.mp3", "", "Song B", 10),
                   song("/m/c.mp3", "Other", "Song C", 30)});
        filter.setSourceModel(&model);
        filter.sort(LibraryModel::SizeColumn, Qt::AscendingOrder);
        bar = std::make_unique<LibraryPlayerBar>(filter, selection);
        bar->SetPlayerMaker([this](QString&) {
            auto p = std::make_unique<FakeFilePlayer>(log);
            fake = p.get();
            return std::unique_ptr<IFilePlayer>(std::move(p));
        });
        controls = std::make_unique<MediaControls>(recorder, *service);
        controls->Register();
        ASSERT_TRUE(WaitUntil([&] { return controls->ServiceName() == mpris::kServiceName; }));
        MediaState s;
        s.recording = true;
        s.title = QStringLiteral("Live - Tune");
        s.volume = 80;
        s.track = 7;
        controls->SetState(s);
        link = new LibraryDesktopLink(*bar, *controls);
    }
    void TearDown() override
    {
        bar.reset(); // takes the link with it
        controls.reset();
    }

    // A property of the Player as a reader on the bus gets it.
    QVariant get(const QString& name)
    {
        QDBusMessage m =
            QDBusMessage::createMethodCall(mpris::kServiceName, mpris::kObjectPath,
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        m << QStringLiteral("org.mpris.MediaPlayer2.Player") << name;
        QDBusPendingCall call = client->asyncCall(m);
        if (!WaitUntil([&] { return call.isFinished(); }))
            return {};
        const QDBusMessage reply = call.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
        if (value.canConvert<QDBusArgument>())
            return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
        return value;
    }
    QVariantMap metadata() { return get(QStringLiteral("Metadata")).toMap(); }
    QString title() { return metadata().value(QStringLiteral("xesam:title")).toString(); }
    QString trackId() { return metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(); }
    void send(const QString& method, const QVariantList& args = {})
    {
        QDBusPendingCall call = client->asyncCall(playerCall(method, args));
        ASSERT_TRUE(WaitUntil([&] { return call.isFinished(); })) << method.toStdString();
        ASSERT_FALSE(call.isError()) << method.toStdString() << " " << call.error().message().toStdString();
    }

    LibraryModel model;
    LibraryFilter filter;
    QItemSelectionModel selection{&filter};
    std::unique_ptr<LibraryPlayerBar> bar;
    FakeFilePlayer* fake = nullptr;
    QStringList log;
    RecorderCommands recorder;
    std::unique_ptr<MediaControls> controls;
    LibraryDesktopLink* link = nullptr;
};

} // namespace

TEST_F(LibraryControls, TheControlsShowAndDriveTheFilePlayingThenTheRecorderAgain)
{
    // Nothing plays: the recorder is shown, and there is no next or seeking.
    EXPECT_EQ(title(), QStringLiteral("Tune"));
    EXPECT_EQ(get(QStringLiteral("CanGoNext")), QVariant(false));

    bar->PlayRow(1); // /m/a
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Song A"); }));
    const QVariantMap m = metadata();
    EXPECT_EQ(m.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("Band")});
    EXPECT_EQ(m.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Radio One"));
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).toLongLong(), 200000000LL);
    EXPECT_EQ(m.value(QStringLiteral("xesam:url")).toString(), QStringLiteral("file:///m/a.mp3"));
    EXPECT_EQ(get(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    for (const char* can : {"CanGoNext", "CanGoPrevious", "CanSeek"})
        EXPECT_EQ(get(QLatin1String(can)), QVariant(true)) << can;
    // The position is read as it is now, in microseconds.
    fake->c.positionChanged(65000);
    EXPECT_EQ(get(QStringLiteral("Position")).toLongLong(), 65000000LL);

    SeekedSpy seeked;
    ASSERT_TRUE(client->connect(QString(), mpris::kObjectPath, QStringLiteral("org.mpris.MediaPlayer2.Player"),
                                QStringLiteral("Seeked"), &seeked, SLOT(seeked(qlonglong))));
    // The match rule is on the bus once a call answered after it is.
    ASSERT_EQ(client
                  ->call(QDBusMessage::createMethodCall(
                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                      QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")))
                  .type(),
              QDBusMessage::ReplyMessage);

    const QString firstTrack = trackId();
    const struct Step {
        const char* method;
        QVariantList args;
        int calls;          // of the player: 0 when the state makes the call moot
        const char* logged; // the player's last call
        const char* status;
        const char* title;
    } steps[] = {
        {"Pause", {}, 1, "pause", "Paused", "Song A"},
        {"Pause", {}, 0, "pause", "Paused", "Song A"},
        {"Play", {}, 1, "resume", "Playing", "Song A"},
        {"Play", {}, 0, "resume", "Playing", "Song A"},
        {"PlayPause", {}, 1, "pause", "Paused", "Song A"},
        {"PlayPause", {}, 1, "resume", "Playing", "Song A"},
        {"Seek", {qlonglong(10000000)}, 1, "seek 75000", "Playing", "Song A"},
        {"SetPosition",
         {QVariant::fromValue(QDBusObjectPath(firstTrack)), qlonglong(30000000)},
         1,
         "seek 30000",
         "Playing",
         "Song A"},
        // A stale track id and a position past the end are not followed.
        {"SetPosition",
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/io/github/tonquill/Tonquill/file/99"))),
          qlonglong(1000000)},
         0,
         "seek 30000",
         "Playing",
         "Song A"},
        {"SetPosition",
         {QVariant::fromValue(QDBusObjectPath(firstTrack)), qlonglong(300000000)},
         0,
         "seek 30000",
         "Playing",
         "Song A"},
        {"Next", {}, 1, "play /m/c.mp3", "Playing", "Song C"},
        {"Previous", {}, 1, "play /m/a.mp3", "Playing", "Song A"},
        {"Previous", {}, 1, "play /m/b.mp3", "Playing", "Song B"},
        // Seeking past the end goes on to the next file.
        {"Seek", {qlonglong(500000000)}, 1, "play /m/a.mp3", "Playing", "Song A"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.method);
        const qsizetype before = log.size();
        send(QLatin1String(s.method), s.args);
        ASSERT_TRUE(WaitUntil([&] {
            return get(QStringLiteral("PlaybackStatus")).toString() == QLatin1String(s.status) &&
                   title() == QLatin1String(s.title);
        }));
        RunPendingEvents();
        EXPECT_EQ(log.size() - before, s.calls);
        EXPECT_EQ(log.last(), QLatin1String(s.logged));
    }
    // The seeks were signalled with where they went.
    ASSERT_TRUE(WaitUntil([&] { return seeked.positions.size() >= 2; }));
    RunPendingEvents();
    EXPECT_EQ(seeked.positions, (QList<qlonglong>{75000000, 30000000}));
    // Each file played has its own track id, also the same file again.
    EXPECT_NE(trackId(), firstTrack);
    EXPECT_EQ(bar->Playing(), QStringLiteral("/m/a.mp3"));

    // The volume is the player's while it plays.
    client->asyncCall(QDBusMessage::createMethodCall(mpris::kServiceName, mpris::kObjectPath,
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("Set"))
                      << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume")
                      << QVariant::fromValue(QDBusVariant(0.3)));
    ASSERT_TRUE(WaitUntil([&] { return get(QStringLiteral("Volume")).toDouble() == 0.3; }));
    EXPECT_EQ(bar->Volume(), 30);

    // Stop ends the file, not the recording; the recorder is shown again.
    send(QStringLiteral("Stop"));
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Tune"); }));
    EXPECT_EQ(log.last(), QStringLiteral("stop"));
    EXPECT_EQ(bar->Playing(), QString());
    EXPECT_EQ(get(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    EXPECT_EQ(get(QStringLiteral("Volume")).toDouble(), 0.8);
    EXPECT_EQ(get(QStringLiteral("CanSeek")), QVariant(false));
    // Now the calls are the recorder's again.
    send(QStringLiteral("PlayPause"));
    ASSERT_TRUE(WaitUntil([&] { return !recorder.log.isEmpty(); }));
    EXPECT_EQ(recorder.log, QStringList{QStringLiteral("toggle recording")});
}

// The player gone (its window closed) gives the controls back to the
// recorder; so does the last file of the list played to its end.
TEST_F(LibraryControls, TheRecorderComesBackWhenTheListEndsOrThePlayerGoes)
{
    bar->PlayRow(2); // /m/c, the last
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Song C"); }));
    fake->c.finished();
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Tune"); }));

    bar->PlayRow(0);
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Song B"); }));
    // No artist: none is shown.
    EXPECT_FALSE(metadata().contains(QStringLiteral("xesam:artist")));
    bar.reset();
    EXPECT_FALSE(controls->File().active);
    EXPECT_EQ(controls->FileCommands(), nullptr);
    EXPECT_EQ(title(), QStringLiteral("Tune"));
}

// playerctl, as a desktop's own tool, reads and drives the file playing.
TEST_F(LibraryControls, PlayerctlSeesTheFileAndMovesOn)
{
    const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
    if (playerctl.isEmpty())
        GTEST_SKIP() << "no playerctl";
    const auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
        p.setProcessEnvironment(env);
        p.start(playerctl, QStringList{QStringLiteral("-p"), QStringLiteral("tonquill")} + args);
        // It asks this process's service: the loop must run meanwhile.
        if (!WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 20000)) {
            p.kill();
            p.waitForFinished(5000);
            return QStringLiteral("(timed out)");
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    bar->PlayRow(1);
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Song A"); }));
    fake->c.positionChanged(12500);
    EXPECT_EQ(run({QStringLiteral("metadata"), QStringLiteral("--format"),
                   QStringLiteral("{{status}}|{{artist}}|{{title}}|{{album}}|{{mpris:length}}")}),
              QStringLiteral("Playing|Band|Song A|Radio One|200000000"));
    // playerctl adds the time gone by since it read the position while playing.
    const double seconds = run({QStringLiteral("position")}).toDouble();
    EXPECT_GE(seconds, 12.5);
    EXPECT_LT(seconds, 22.5);
    run({QStringLiteral("next")});
    ASSERT_TRUE(WaitUntil([&] { return title() == QStringLiteral("Song C"); }));
    EXPECT_EQ(log.last(), QStringLiteral("play /m/c.mp3"));
}
