// The recorder as the desktop's media controls and notifications show it:
// status, metadata and volume mapping, the commands' effects, the notices'
// texts, the menu entry's actions; and the services on a private bus.
#include "tests/support/eventwait.h"
#include "tests/ui/desktop/privatebus.h"
#include "ui/desktop/desktopactions.h"
#include "ui/desktop/mediacontrols.h"
#include "ui/desktop/notifier.h"
#include "ui/desktop/recorderdesktoplink.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

MediaState recording(const QString& title)
{
    MediaState s;
    s.recording = true;
    s.title = title;
    s.station = QStringLiteral("Station");
    s.file = QStringLiteral("/music/x.mp3");
    s.track = 3;
    return s;
}

// Valid as D-Bus carries it: UTF-8 that decodes to the same text, no NUL.
bool validOnTheBus(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return QString::fromUtf8(utf8) == text && !utf8.contains('\0');
}

} // namespace

TEST(MprisMapping, PlaybackStatusFollowsRecordingListeningAndPause)
{
    struct Case {
        bool recording, listening, paused;
        const char* status;
    } cases[] = {
        {false, false, false, "Stopped"}, {true, false, false, "Playing"}, {true, false, true, "Paused"},
        {true, true, false, "Playing"},   {false, true, false, "Playing"}, {false, true, true, "Paused"},
        {false, false, true, "Stopped"}, // a pause left over from a recording that ended
    };
    for (const Case& c : cases) {
        MediaState s;
        s.recording = c.recording;
        s.listening = c.listening;
        s.paused = c.paused;
        EXPECT_EQ(mpris::PlaybackStatus(s), QString::fromLatin1(c.status)) << c.recording << c.listening << c.paused;
    }
}

TEST(MprisMapping, TitleIsSplitAtTheFirstDashAndCleaned)
{
    const QString longTitle = QStringLiteral("Artist - ") + QString(10000, QLatin1Char('x'));
    struct Case {
        QString name, artist, title;
    } cases[] = {
        {QStringLiteral("Artist - Title"), QStringLiteral("Artist"), QStringLiteral("Title")},
        {QStringLiteral("A - B - C"), QStringLiteral("A"), QStringLiteral("B - C")},
        {QStringLiteral("No dash-here"), QString(), QStringLiteral("No dash-here")},
        {QStringLiteral(" - Only title"), QString(), QStringLiteral("Only title")},
        {QStringLiteral("Only artist - "), QStringLiteral("Only artist"), QString()},
        {QString(), QString(), QString()},
        {QStringLiteral("Tab\tNew\nline\x01 - End\x7f"), QStringLiteral("Tab New line "), QStringLiteral("End ")},
        {QStringLiteral("Nul") + QChar(0) + QStringLiteral(" - C1") + QChar(0x85), QStringLiteral("Nul "),
         QStringLiteral("C1 ")},
        {QString::fromUtf8("Bad \xff\xfe - UTF\xc3"), QString::fromUtf8("Bad \xef\xbf\xbd\xef\xbf\xbd"),
         QString::fromUtf8("UTF\xef\xbf\xbd")},
        {QStringLiteral("Lone ") + QChar(0xD800) + QStringLiteral(" - ") + QChar(0xDC00),
         QStringLiteral("Lone ") + QChar(QChar::ReplacementCharacter), QString(QChar(QChar::ReplacementCharacter))},
        {QString::fromUtf8("Pair \xf0\x9f\x8e\xb5 - Caf\xc3\xa9"), QString::fromUtf8("Pair \xf0\x9f\x8e\xb5"),
         QString::fromUtf8("Caf\xc3\xa9")},
        {longTitle, QStringLiteral("Artist"), QString(10000, QLatin1Char('x'))},
    };
    for (const Case& c : cases) {
        const QVariantMap m = mpris::Metadata(recording(c.name));
        EXPECT_EQ(m.value(QStringLiteral("xesam:title")).toString(), c.title) << c.name.toStdString();
        EXPECT_TRUE(validOnTheBus(m.value(QStringLiteral("xesam:title")).toString()));
        if (c.artist.isEmpty()) {
            EXPECT_FALSE(m.contains(QStringLiteral("xesam:artist"))) << c.name.toStdString();
        } else {
            EXPECT_EQ(m.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{c.artist});
            EXPECT_TRUE(validOnTheBus(c.artist));
        }
    }
}

TEST(MprisMapping, MetadataNamesTrackStationAndFile)
{
    MediaState s = recording(QStringLiteral("A - B"));
    s.station = QStringLiteral("Radio\x02One");
    s.file = QStringLiteral("/home/u/Music/A - B #1.mp3");
    s.artUrl = QStringLiteral("/home/u/.cache/tonquill/covers/ab 12.jpg");
    QVariantMap m = mpris::Metadata(s);
    EXPECT_EQ(m.value(QStringLiteral("mpris:artUrl")).toString(),
              QStringLiteral("file:///home/u/.cache/tonquill/covers/ab%2012.jpg"));
    EXPECT_EQ(m.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              QStringLiteral("/io/github/tonquill/Tonquill/track/3"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Radio One"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:url")).toString(),
              QStringLiteral("file:///home/u/Music/A%20-%20B%20%231.mp3"));

    // Without a station or an open file those keys are left out.
    s.station.clear();
    s.file.clear();
    s.artUrl.clear();
    m = mpris::Metadata(s);
    EXPECT_FALSE(m.contains(QStringLiteral("mpris:artUrl")));
    EXPECT_FALSE(m.contains(QStringLiteral("xesam:album")));
    EXPECT_FALSE(m.contains(QStringLiteral("xesam:url")));

    // Stopped: only the "no track" id, whatever the last song was.
    s.recording = false;
    m = mpris::Metadata(s);
    EXPECT_EQ(m.keys(), QStringList{QStringLiteral("mpris:trackid")});
    EXPECT_EQ(m.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(), mpris::kNoTrack);
}

TEST(MprisMapping, VolumeIsClampedToTheRecordersRange)
{
    struct Case {
        double asked;
        int percent;
    } cases[] = {
        {7.5, 100},
        {-3, 0},
        {0.25, 25},
        {1.0, 100},
        {0.0, 0},
        {0.004, 0},
        {0.006, 1},
        {0.995, 100},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 100},
        {-std::numeric_limits<double>::infinity(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mpris::VolumePercent(c.asked), c.percent) << c.asked;
}

TEST(MprisMapping, PlayPauseAndPlayPauseDoWhatTheStateAllows)
{
    using mpris::Command;
    using mpris::Effect;
    MediaState stopped, playing = recording(QStringLiteral("A - B")), paused = playing;
    paused.paused = true;
    struct Case {
        Command command;
        const MediaState& state;
        Effect effect;
    } cases[] = {
        {Command::Play, stopped, Effect::Start},           {Command::Play, playing, Effect::None},
        {Command::Play, paused, Effect::TogglePause},      {Command::Pause, stopped, Effect::None},
        {Command::Pause, playing, Effect::TogglePause},    {Command::Pause, paused, Effect::None},
        {Command::PlayPause, stopped, Effect::Start},      {Command::PlayPause, playing, Effect::TogglePause},
        {Command::PlayPause, paused, Effect::TogglePause},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mpris::EffectOf(c.command, c.state), c.effect) << int(c.command);
}

TEST(MprisMapping, OnlyChangedPropertiesAreSignalled)
{
    const MediaState base = recording(QStringLiteral("A - B"));
    MediaState paused = base, song = base, louder = base, same = base, stopped;
    paused.paused = true;
    song.title = QStringLiteral("C - D");
    louder.volume = 70;
    same.listening = true; // still "Playing"
    EXPECT_EQ(mpris::ChangedPlayerProperties(base, paused), QStringList{QStringLiteral("PlaybackStatus")});
    EXPECT_EQ(mpris::ChangedPlayerProperties(base, song), QStringList{QStringLiteral("Metadata")});
    EXPECT_EQ(mpris::ChangedPlayerProperties(base, louder), QStringList{QStringLiteral("Volume")});
    EXPECT_TRUE(mpris::ChangedPlayerProperties(base, same).isEmpty());
    EXPECT_EQ(mpris::ChangedPlayerProperties(base, stopped),
              (QStringList{QStringLiteral("PlaybackStatus"), QStringLiteral("Metadata")}));
}

namespace {

FilePlayback filePlaying(qint64 lengthMs, qint64 positionMs)
{
    FilePlayback f;
    f.active = true;
    f.path = QStringLiteral("/m/Band - Song.mp3");
    f.title = QStringLiteral("Song");
    f.artist = QStringLiteral("Band");
    f.station = QStringLiteral("Radio\x01One");
    f.lengthMs = lengthMs;
    f.positionMs = positionMs;
    f.volume = 40;
    f.track = 2;
    return f;
}

} // namespace

// A file playing is what the controls show; stopped, the recorder again.
TEST(MprisMapping, AFilePlayingIsShownInsteadOfTheRecorder)
{
    MediaState recorder = recording(QStringLiteral("A - B"));
    recorder.volume = 80;
    FilePlayback paused = filePlaying(200000, 0), unknownLength = filePlaying(-1, 0), stopped;
    paused.paused = true;
    const struct Case {
        const char* what;
        FilePlayback file;
        const char *status, *title, *trackId;
        double volume;
        bool canGoNext, canSeek;
    } cases[] = {
        {"playing", filePlaying(200000, 0), "Playing", "Song", "/io/github/tonquill/Tonquill/file/2", 0.4, true, true},
        {"paused", paused, "Paused", "Song", "/io/github/tonquill/Tonquill/file/2", 0.4, true, true},
        {"no length", unknownLength, "Playing", "Song", "/io/github/tonquill/Tonquill/file/2", 0.4, true, false},
        {"stopped", stopped, "Playing", "B", "/io/github/tonquill/Tonquill/track/3", 0.8, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QVariantMap p = mpris::PlayerProperties(recorder, c.file);
        EXPECT_EQ(p.keys(),
                  (QStringList{"CanGoNext", "CanGoPrevious", "CanSeek", "Metadata", "PlaybackStatus", "Volume"}));
        EXPECT_EQ(p.value("PlaybackStatus").toString(), QLatin1String(c.status));
        const QVariantMap m = p.value("Metadata").toMap();
        EXPECT_EQ(m.value("xesam:title").toString(), QLatin1String(c.title));
        EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), QLatin1String(c.trackId));
        EXPECT_DOUBLE_EQ(p.value("Volume").toDouble(), c.volume);
        EXPECT_EQ(p.value("CanGoNext").toBool(), c.canGoNext);
        EXPECT_EQ(p.value("CanGoPrevious").toBool(), c.canGoNext);
        EXPECT_EQ(p.value("CanSeek").toBool(), c.canSeek);
    }
    const QVariantMap m = mpris::Metadata(filePlaying(200000, 0));
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"Band"});
    EXPECT_EQ(m.value("xesam:album").toString(), QStringLiteral("Radio One"));
    EXPECT_EQ(m.value("xesam:url").toString(), QStringLiteral("file:///m/Band%20-%20Song.mp3"));
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 200000000LL);
    EXPECT_FALSE(mpris::Metadata(unknownLength).contains("mpris:length"));
    EXPECT_EQ(mpris::PlaybackStatus(stopped), QStringLiteral("Stopped"));
}

// Seek moves by an offset within the file, to its start at the most, and
// past its end on to the next file; SetPosition only within the file
// playing, and only for its own track id.
TEST(MprisMapping, SeekingStaysInTheFileOrGoesOnToTheNext)
{
    using P = mpris::SeekPlan;
    const FilePlayback f = filePlaying(200000, 60000);
    const qint64 big = std::numeric_limits<qint64>::max(), small = std::numeric_limits<qint64>::min();
    const struct SeekCase {
        FilePlayback file;
        qint64 offsetUs;
        P plan;
    } seeks[] = {
        {f, 10000000, {P::To, 70000}},    {f, -70000000, {P::To, 0}},    {f, 140000000, {P::To, 200000}},
        {f, 140001000, {P::Next, 0}},     {f, 999, {P::To, 60000}},      {f, -999, {P::To, 60000}},
        {f, big, {P::Next, 0}},           {f, small, {P::To, 0}},        {filePlaying(-1, 0), 1000000, {}},
        {filePlaying(0, 0), 1000000, {}}, {FilePlayback(), 1000000, {}},
    };
    for (const SeekCase& c : seeks) {
        const P plan = mpris::PlanSeek(c.file, c.offsetUs);
        EXPECT_EQ(plan.effect, c.plan.effect) << c.offsetUs;
        EXPECT_EQ(plan.ms, c.plan.ms) << c.offsetUs;
    }
    const QString id = mpris::TrackId(f);
    const struct PositionCase {
        QString track;
        qint64 positionUs;
        P plan;
    } positions[] = {
        {id, 30000000, {P::To, 30000}},
        {id, 0, {P::To, 0}},
        {id, 200000000, {P::To, 200000}},
        {id, 200001000, {}}, // past the end
        {id, -1, {}},
        {QStringLiteral("/io/github/tonquill/Tonquill/file/1"), 30000000, {}}, // the file before
        {mpris::kNoTrack, 30000000, {}},
    };
    for (const PositionCase& c : positions)
        EXPECT_EQ(mpris::PlanSetPosition(f, c.track, c.positionUs), c.plan)
            << c.track.toStdString() << " " << c.positionUs;
    EXPECT_EQ(mpris::PlanSetPosition(FilePlayback(), mpris::TrackId(FilePlayback()), 0), P());
}

TEST(DesktopNotices, TextsAndFolders)
{
    const Notice saved = notices::SavedSong(QStringLiteral("A\x01 - <B> & C"), QStringLiteral("/m/A - B.mp3"));
    EXPECT_EQ(saved.summary, QStringLiteral("Saved"));
    EXPECT_EQ(saved.body, QStringLiteral("A  - <B> & C\nA - B.mp3"));
    EXPECT_EQ(saved.folder, QStringLiteral("/m"));
    EXPECT_EQ(notices::EscapeBody(saved.body), QStringLiteral("A  - &lt;B&gt; &amp; C\nA - B.mp3"));
    EXPECT_TRUE(saved.image.isEmpty());
    EXPECT_EQ(notices::SavedSong(QStringLiteral("A - B"), QStringLiteral("/m/A - B.mp3"), false, QStringLiteral("/c/x.jpg"))
                  .image,
              QStringLiteral("/c/x.jpg"));
    EXPECT_TRUE(notices::Reconnecting(QStringLiteral("R1")).body.contains(QStringLiteral("R1")));
    EXPECT_TRUE(notices::Reconnecting(QStringLiteral("R1")).folder.isEmpty());
    EXPECT_EQ(notices::GaveUp(QStringLiteral("R1")).body,
              QStringLiteral("Network errors have interrupted successful recording of R1!"));
}

TEST(DesktopActions, SongNames)
{
    struct Name {
        const char *name, *title;
    } names[] = {
        {"A - B.mp3", "A - B"}, {"A - B.AAC", "A - B"}, {"x.ogg", "x"}, {"x.opus", "x"}, {"x.wav", "x.wav"}, {".mp3", ""}, {"", ""}, {"mp3", "mp3"},
    };
    for (const Name& n : names)
        EXPECT_EQ(SongTitleOf(QString::fromLatin1(n.name)), QString::fromLatin1(n.title)) << n.name;
}

// ---- on a private session bus

namespace {

struct CountingCommands : IMediaCommands {
    void StartRecording() override { ++starts; }
    void StopRecording() override { ++stops; }
    void TogglePause() override { ++toggles; }
    void SetVolume(int percent) override { volumes << percent; }
    void Raise() override { ++raises; }
    void Quit() override { ++quits; }
    int starts = 0, stops = 0, toggles = 0, raises = 0, quits = 0;
    QList<int> volumes;
};

} // namespace

TEST_F(PrivateBus, EveryCallReachesTheRecorderOnceAndChangesAreSignalled)
{
    CountingCommands commands;
    MediaControls controls(commands, *service);
    controls.Register();
    ASSERT_TRUE(WaitUntil([&] { return controls.ServiceName() == mpris::kServiceName; }));
    controls.SetState(recording(QStringLiteral("A - B")));

    // A hundred PlayPause calls sent at once: each one toggles once.
    for (int i = 0; i < 100; ++i)
        client->asyncCall(playerCall(QStringLiteral("PlayPause")));
    ASSERT_TRUE(WaitUntil([&] { return commands.toggles >= 100; }, 20000));

    // A change of state is signalled with the properties that changed.
    PropertiesSpy spy;
    ASSERT_TRUE(client->connect(QString(), mpris::kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), &spy,
                                SLOT(changed(QString, QVariantMap, QStringList))));
    // The match rule reaches the bus without a reply; a call answered after
    // it makes sure the bus has it before the change is signalled.
    ASSERT_EQ(client->call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus.Peer"),
                                                          QStringLiteral("Ping")))
                  .type(),
              QDBusMessage::ReplyMessage);
    MediaState paused = controls.State();
    paused.paused = true;
    controls.SetState(paused);
    ASSERT_TRUE(WaitUntil([&] { return !spy.seen.isEmpty(); }));
    EXPECT_EQ(spy.seen.first(), QStringLiteral("org.mpris.MediaPlayer2.Player PlaybackStatus=Paused"));

    // Volume writes are clamped.
    for (double asked : {7.5, -3.0}) {
        client->asyncCall(QDBusMessage::createMethodCall(mpris::kServiceName, mpris::kObjectPath,
                                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("Set"))
                          << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume")
                          << QVariant::fromValue(QDBusVariant(asked)));
    }
    ASSERT_TRUE(WaitUntil([&] { return commands.volumes.size() >= 2; }));
    EXPECT_EQ(commands.volumes, (QList<int>{100, 0}));

    client->asyncCall(playerCall(QStringLiteral("Raise"), {}, QStringLiteral("org.mpris.MediaPlayer2")));
    client->asyncCall(playerCall(QStringLiteral("Stop")));
    ASSERT_TRUE(WaitUntil([&] { return commands.raises == 1 && commands.stops == 1; }));
    RunPendingEvents();
    EXPECT_EQ(commands.toggles, 100);
    EXPECT_EQ(commands.starts, 0);
}

TEST_F(PrivateBus, ASecondPlayerTakesTheInstanceName)
{
    CountingCommands first, second;
    MediaControls a(first, *service), b(second, *client);
    a.Register();
    ASSERT_TRUE(WaitUntil([&] { return !a.ServiceName().isEmpty(); }));
    b.Register();
    ASSERT_TRUE(WaitUntil([&] { return !b.ServiceName().isEmpty(); }));
    EXPECT_EQ(a.ServiceName(), mpris::kServiceName);
    EXPECT_EQ(b.ServiceName(),
              mpris::kServiceName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid()));
}

TEST_F(PrivateBus, NoticesReachTheServiceOrNothingHappens)
{
    // No service yet: nothing is shown and nothing fails.
    QStringList opened;
    DesktopNotifier notifier(*client, [&](const QString& folder) { opened << folder; });
    notifier.Show(notices::SavedSong(QStringLiteral("A - B"), QStringLiteral("/m/A - B.mp3")));
    // Its question has been answered (with an error) once its watcher is gone.
    ASSERT_TRUE(WaitUntil([&] { return notifier.findChildren<QDBusPendingCallWatcher*>().isEmpty(); }));

    FakeNotifications fake;
    ASSERT_TRUE(bus.ServeNotifications(fake));
    notifier.Show(notices::SavedSong(QStringLiteral("A - <B>"), QStringLiteral("/m/A - B.mp3")));
    ASSERT_TRUE(WaitUntil([&] { return fake.calls.size() == 1; }));
    // A server that reads markup gets the text escaped.
    fake.capabilities << QStringLiteral("body-markup");
    notifier.Show(notices::SavedSong(QStringLiteral("A - <B>"), QStringLiteral("/m/A - B.mp3")));
    notifier.Show(notices::GaveUp(QStringLiteral("R")));
    ASSERT_TRUE(WaitUntil([&] { return fake.calls.size() == 3; }));
    RunPendingEvents();
    EXPECT_EQ(fake.calls, (QStringList{QStringLiteral("Saved|A - <B>\nA - B.mp3|open-folder,Open folder"),
                                       QStringLiteral("Saved|A - &lt;B&gt;\nA - B.mp3|open-folder,Open folder"),
                                       QStringLiteral("Recording ended|Network errors have interrupted successful "
                                                      "recording of R!|")}));

    // The user picks "Open folder" on the first notice (its id is 1).
    QDBusMessage invoked =
        QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                   QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    invoked << 1u << QStringLiteral("open-folder");
    ASSERT_TRUE(WaitUntil([&] {
        service->send(invoked);
        RunPendingEvents(1);
        return !opened.isEmpty();
    }));
    EXPECT_EQ(opened.first(), QStringLiteral("/m"));
}

TEST_F(PrivateBus, ABusThatGoesAwayLeavesTheServicesQuiet)
{
    CountingCommands commands;
    MediaControls controls(commands, *service);
    DesktopNotifier notifier(*service, {});
    controls.Register();
    ASSERT_TRUE(WaitUntil([&] { return !controls.ServiceName().isEmpty(); }));
    bus.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !service->isConnected(); }));
    controls.SetState(recording(QStringLiteral("A - B")));
    notifier.Show(notices::GaveUp(QStringLiteral("R")));
    RunPendingEvents();
    controls.Unregister();
    EXPECT_EQ(controls.State().title, QStringLiteral("A - B"));
    EXPECT_EQ(commands.toggles + commands.starts + commands.stops, 0);
}
