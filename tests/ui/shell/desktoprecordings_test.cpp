// Several stations recorded at once on the desktop: the panel's recorder and
// those alongside it, each on its own loopback station, folder and files; the
// list's rows, the one listened to, and what is kept to resume them.
#include "fixture.h"
#include "history/historywriter.h"
#include "history/playtracker.h"
#include "sources/live365reader.h"
#include "tests/ui/shell/alongsidestations.h"
#include "ui/shell/desktopprogram.h"
#include "ui/shell/desktoprecordings.h"
#include "ui/tray/trayicon.h"

#include <QAction>
#include <QDir>
#include <QMenu>

namespace {

class BarePanel : public QWidget, public IPanel {
public:
    QWidget* PanelWindow() override { return this; }
    void LoadBasedOnCR() override {}
    void DockDisplay() override {}
    void SetPanelOpenMode(int) override {}
    void AppendStation(const QString&, const QString&) override {}
    void DropOnStationList(const QString&) override {}
};

} // namespace

// The recordings as the desktop program holds them, around the fixture's
// recorder as the panel's own.
class DesktopRecordingsTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        SetUserSettingsFolder(store.path());
        recordSongsContinuously();
        icon.available = true;
        DesktopProgram::Services services;
        services.config = &config;
        services.messages = &messages;
        services.clock = &clock;
        services.tray = &icon;
        services.masterVolume = [] { return -1; };
        history = std::make_unique<HistoryWriter>(store.file(QStringLiteral("history.sqlite")));
        services.history = history.get();
        program = std::make_unique<DesktopProgram>(services, [](IDesktopShell&) { return new BarePanel; });
        deps.host = program.get();
        recorder = std::make_unique<frmMP3>(deps);
        program->attach(recorder.get(), &deps);
        recordings = program->recordings();
    }
    void TearDown() override
    {
        program.reset();
        recorder.reset();
        history.reset();
        SetUserSettingsFolder(QString());
    }

    RecordingConfig configFor(const Station& s) const
    {
        RecordingConfig c = config;
        c.sShoutCastFile = s.playlist;
        c.sRecordingTitle = s.name;
        c.sMP3Path = s.folder.path();
        c.bCalledFromGUI = true;
        c.bConfigOK = true;
        return c;
    }
    void startPrimary(Station& s)
    {
        ASSERT_TRUE(recorder->InitializeMP3Recorder(configFor(s)));
        ASSERT_TRUE(streams(s, *recorder));
    }
    frmMP3& alongside(Station& s, int* id = nullptr)
    {
        EXPECT_EQ(recordings->RecordAlongside(configFor(s)), DesktopRecordings::Started::Started);
        const int at = recordings->AlongsideOf(s.playlist);
        if (id)
            *id = at;
        return *recordings->Recorder(at);
    }

    TempFolder store;
    std::unique_ptr<HistoryWriter> history;
    FakeTrayIcon icon;
    std::unique_ptr<DesktopProgram> program;
    DesktopRecordings* recordings = nullptr;
};

TEST_F(DesktopRecordingsTest, AlongsideAddsARecordingAndLeavesTheOthersAndNoStationTwice)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    startPrimary(a);
    int idB = 0;
    frmMP3& rb = alongside(b, &idB);
    ASSERT_TRUE(streams(b, rb));
    EXPECT_EQ(recordings->Model().rowCount(), 2);
    EXPECT_EQ(recordings->Running(), 2);
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(recordings->Model().Focused(), idB); // the last started
    EXPECT_EQ(&recordings->Focused(), &rb);

    // Neither station is started twice, whichever recorder has it.
    for (const Station* s : {&a, &b})
        EXPECT_EQ(recordings->RecordAlongside(configFor(*s)), DesktopRecordings::Started::AlreadyRecording);
    EXPECT_EQ(recordings->Model().rowCount(), 2);

    // Each writes its own station to its own folder.
    EXPECT_TRUE(grows(a, *recorder));
    EXPECT_TRUE(grows(b, rb));
    EXPECT_TRUE(rb.RecordingPath().startsWith(b.folder.path())) << rb.RecordingPath().toStdString();
    EXPECT_TRUE(recorder->RecordingPath().startsWith(a.folder.path())) << recorder->RecordingPath().toStdString();

    // Stopping one leaves the other recording.
    recordings->Stop(idB);
    EXPECT_FALSE(rb.Status().blnRecording);
    EXPECT_TRUE(grows(a, *recorder));
    EXPECT_EQ(recordings->Running(), 1);
    EXPECT_EQ(recordings->Model().data(recordings->Model().index(1, RecordingsModel::StateColumn)).toString(),
              QStringLiteral("stopped"));
}

// A Live365 station recorded alongside reads its titles with a reader of its
// own: a title one reader gives names a song of its recording only.
TEST_F(DesktopRecordingsTest, EachRecordingAlongsideHasLive365TitlesOfItsOwn)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta")), c(QStringLiteral("Gamma"));
    startPrimary(a);
    frmMP3& rb = alongside(b);
    ASSERT_TRUE(streams(b, rb));
    frmMP3& rc = alongside(c);
    ASSERT_TRUE(streams(c, rc));
    auto* readerB = dynamic_cast<ctlLive365TitleReader*>(rb.Live365().Link());
    auto* readerC = dynamic_cast<ctlLive365TitleReader*>(rc.Live365().Link());
    ASSERT_TRUE(readerB && readerC);
    EXPECT_NE(readerB, readerC);
    const QString before = rc.Status().strSongName;
    emit readerB->TitleChange(QStringLiteral("Miles Davis"), QStringLiteral("So What"));
    EXPECT_TRUE(WaitUntil([&] { return rb.Status().strSongName == QStringLiteral("Miles Davis - So What.mp3"); }))
        << rb.Status().strSongName.toStdString();
    EXPECT_TRUE(grows(c, rc));
    EXPECT_EQ(rc.Status().strSongName, before);
    EXPECT_NE(recorder->Status().strSongName, QStringLiteral("Miles Davis - So What.mp3"));
}

TEST_F(DesktopRecordingsTest, RestartingOneStationLeavesTheOthersAndStopAllEndsEvery)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta")), c(QStringLiteral("Gamma"));
    startPrimary(a);
    int idB = 0, idC = 0;
    ASSERT_TRUE(streams(b, alongside(b, &idB)));
    frmMP3& rc = alongside(c, &idC);
    ASSERT_TRUE(streams(c, rc));

    const size_t connectionsB = b.loopback.connections.size();
    EXPECT_TRUE(recordings->RestartAlongside(configFor(b)));
    EXPECT_FALSE(recordings->RestartAlongside(configFor(a))); // the panel's own restarts itself
    const int newB = recordings->AlongsideOf(b.playlist);
    EXPECT_NE(newB, idB);
    EXPECT_FALSE(recordings->Set().Contains(idB)); // its stopped row made way
    EXPECT_TRUE(WaitUntil([&] { return b.loopback.connections.size() == connectionsB + 1; }));
    EXPECT_EQ(recordings->Model().rowCount(), 3);
    EXPECT_TRUE(grows(a, *recorder));
    EXPECT_TRUE(grows(c, rc));

    recordings->StopAll();
    EXPECT_EQ(recordings->Running(), 0);
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_FALSE(rc.Status().blnRecording);
}

// One station is heard at a time: the program's relay moves to the row
// listened to and hears what its stream began with; the files are untouched.
TEST_F(DesktopRecordingsTest, ListeningMovesTheRelayBetweenRecordings)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    startPrimary(a);
    int idB = 0;
    frmMP3& rb = alongside(b, &idB);
    ASSERT_TRUE(streams(b, rb));
    const int idA = recordings->PrimaryId();

    recordings->Listen(idB);
    EXPECT_TRUE(rb.Status().blnPreviewToggle);
    EXPECT_EQ(relay.starts, 1);
    ASSERT_FALSE(relay.begun.isEmpty());
    EXPECT_EQ(relay.begun.constLast(), QByteArray("audio/mpeg"));
    relay.pushed.clear();
    ASSERT_TRUE(grows(b, rb));
    EXPECT_TRUE(relay.pushed.endsWith(QByteArray(16, 'c')));

    recordings->Listen(idA);
    EXPECT_FALSE(rb.Status().blnPreviewToggle);
    EXPECT_TRUE(recorder->Status().blnPreviewToggle);
    EXPECT_EQ(relay.stops, 1);
    relay.pushed.clear();
    ASSERT_TRUE(grows(b, rb)); // B goes on recording, unheard
    EXPECT_TRUE(relay.pushed.isEmpty());
    EXPECT_TRUE(rb.Status().blnRecording);
    EXPECT_TRUE(recorder->Status().blnRecording);
}

TEST_F(DesktopRecordingsTest, WhatRunsIsKeptToResumeInTheOrderStarted)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    startPrimary(a);
    RecordingConfig fromPreset = configFor(b);
    fromPreset.sConfigFileName = b.folder.file(QStringLiteral("beta.tvp"));
    ASSERT_EQ(recordings->RecordAlongside(fromPreset), DesktopRecordings::Started::Started);
    Station c(QStringLiteral("Gamma"));
    ASSERT_EQ(recordings->Watch(configFor(c)), DesktopRecordings::Started::Started);
    const QList<ResumeEntry> expected{{QString(), a.playlist, a.name, a.folder.path()},
                                      {fromPreset.sConfigFileName, b.playlist, b.name, b.folder.path()},
                                      {QString(), c.playlist, c.name, c.folder.path(), true}};
    EXPECT_EQ(recordings->ResumeEntries(), expected);
    SetRecordingsToResume(expected);
    EXPECT_EQ(RecordingsToResume(), expected);
    // A shorter list leaves nothing of the longer one behind, nor a watch
    // mark on a place now recorded.
    SetRecordingsToResume({expected.at(2)});
    EXPECT_EQ(RecordingsToResume(), QList<ResumeEntry>{expected.at(2)});
    SetRecordingsToResume({expected.at(1)});
    EXPECT_EQ(RecordingsToResume(), QList<ResumeEntry>{expected.at(1)});
    SetRecordingsToResume({});
    EXPECT_TRUE(RecordingsToResume().isEmpty());
}

// The recording in focus is what the tray and the display show and act on;
// the tip counts the stations recording; "Stop All" ends every one.
TEST_F(DesktopRecordingsTest, TrayAndDisplayFollowTheFocusAndStopAllEndsEvery)
{
    program->Main();
    ASSERT_TRUE(program->tray()->Created());
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    startPrimary(a);
    program->ShowRecordingDisplay();
    EXPECT_EQ(program->displayedRecorder(), recorder.get());
    int idB = 0;
    frmMP3& rb = alongside(b, &idB);
    ASSERT_TRUE(streams(b, rb));
    EXPECT_EQ(&program->tray()->Followed(), &rb);
    EXPECT_EQ(program->displayedRecorder(), &rb);
    EXPECT_TRUE(program->display()->isVisible());
    EXPECT_TRUE(TrayTipText(icon.tip).startsWith(QStringLiteral("2 stations recording")))
        << TrayTipText(icon.tip).toStdString();

    // The user picks the panel's recording: everything follows it.
    recordings->Model().SetFocused(recordings->PrimaryId());
    EXPECT_EQ(&program->tray()->Followed(), recorder.get());
    EXPECT_EQ(program->displayedRecorder(), recorder.get());

    // The tray's Stop acts on the focused one only.
    recordings->Model().SetFocused(idB);
    program->tray()->mnuStopRecording->trigger();
    EXPECT_FALSE(rb.Status().blnRecording);
    EXPECT_TRUE(grows(a, *recorder));
    EXPECT_FALSE(TrayTipText(icon.tip).contains(QStringLiteral("stations recording")));

    const size_t connections = b.loopback.connections.size();
    frmMP3& again = alongside(b);
    ASSERT_TRUE(WaitUntil([&] { return b.loopback.connections.size() == connections + 1; }));
    ASSERT_TRUE(streams(b, again));
    ASSERT_NE(program->tray()->mnuStopAll, nullptr);
    EXPECT_TRUE(program->tray()->mnuStopAll->isEnabled());
    program->tray()->mnuStopAll->trigger();
    EXPECT_EQ(recordings->Running(), 0);
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_FALSE(program->tray()->mnuStopAll->isEnabled());
}

// Quitting asks once while any station records; quitting closes every file
// and, when asked for, keeps them to start again at the next start.
TEST_F(DesktopRecordingsTest, QuitAsksForAnyRecordingClosesAllAndResumesThemNextTime)
{
    program->Main();
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    EXPECT_FALSE(program->AnyRecordingRunning());
    int idB = 0;
    frmMP3& rb = alongside(b, &idB);
    ASSERT_TRUE(streams(b, rb));
    EXPECT_TRUE(program->AnyRecordingRunning()); // the panel's recorder is idle
    rb.TogglePause();
    EXPECT_FALSE(program->AnyRecordingRunning());
    rb.TogglePause();
    startPrimary(a);

    SetResumeRecordings(true);
    const QString fileA = recorder->RecordingPath(), fileB = rb.RecordingPath();
    program->QuitProgram();
    EXPECT_FALSE(rb.Status().blnRecording);
    for (const QString& file : {fileA, fileB})
        EXPECT_TRUE(ReadAll(file).right(128).startsWith("TAG")) << file.toStdString(); // closed and tagged
    const QList<ResumeEntry> kept = RecordingsToResume();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept.at(0).address, b.playlist);
    EXPECT_EQ(kept.at(1).address, a.playlist);

    // The next start: a new program starts both again, each in its folder.
    program.reset();
    DesktopProgram::Services services;
    services.config = &config;
    services.messages = &messages;
    services.clock = &clock;
    services.tray = &icon;
    program = std::make_unique<DesktopProgram>(services, [](IDesktopShell&) { return new BarePanel; });
    deps.host = program.get();
    recorder = std::make_unique<frmMP3>(deps);
    program->attach(recorder.get(), &deps);
    recordings = program->recordings();
    const size_t before = a.loopback.connections.size() + b.loopback.connections.size();
    program->ResumeRecordings({});
    EXPECT_EQ(recordings->Running(), 2);
    EXPECT_TRUE(RecordingsToResume().isEmpty()); // read once
    EXPECT_TRUE(WaitUntil([&] { return a.loopback.connections.size() + b.loopback.connections.size() == before + 2; }));
    EXPECT_EQ(recordings->Folder(recordings->AlongsideOf(a.playlist)), a.folder.path());

    // Off, nothing is started.
    SetRecordingsToResume(kept);
    SetResumeRecordings(false);
    recordings->StopAll();
    program->ResumeRecordings({});
    EXPECT_EQ(recordings->Running(), 0);
}

// A recording started from a preset starts again from the preset as it now
// reads (its station and folder), not from what the list kept; one whose
// preset no longer loads is left out and the others start.
TEST_F(DesktopRecordingsTest, ARecordingFromAPresetResumesFromThePresetAndOneThatFailsIsLeftOut)
{
    program->Main();
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    const QString presetA = a.folder.file(QStringLiteral("alpha.tvp"));
    const QString gone = b.folder.file(QStringLiteral("gone.tvp"));
    SetResumeRecordings(true);
    SetRecordingsToResume({{gone, b.playlist, b.name, b.folder.path()},
                           {presetA, QStringLiteral("http://127.0.0.1:9/old.pls"), QStringLiteral("Old"),
                            store.path()}});
    QStringList asked;
    program->ResumeRecordings([&](const QString& preset, RecordingConfig& c) {
        asked << preset;
        if (preset != presetA)
            return false;
        c = configFor(a);
        c.sConfigFileName = presetA;
        return true;
    });
    EXPECT_EQ(asked, (QStringList{gone, presetA}));
    EXPECT_EQ(recordings->Running(), 1);
    EXPECT_EQ(recordings->AlongsideOf(b.playlist), 0);
    const int id = recordings->AlongsideOf(a.playlist);
    ASSERT_NE(id, 0);
    EXPECT_EQ(recordings->Folder(id), a.folder.path());
    ASSERT_TRUE(streams(a, *recordings->Recorder(id)));
    // Kept again as the preset's, for the start after.
    const QList<ResumeEntry> next = recordings->ResumeEntries();
    ASSERT_EQ(next.size(), 1);
    EXPECT_EQ(next.at(0).preset, presetA);
    recordings->StopAll();
}

namespace {

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417 bytes a frame, each body
// holding its number.
QByteArray mp3Frames(int from, int count)
{
    QByteArray out;
    for (int n = from; n < from + count; ++n) {
        QByteArray f(417, char('A' + n % 26));
        f[0] = char(0xff), f[1] = char(0xfb), f[2] = char(0x90), f[3] = char(0x00);
        out += f;
    }
    return out;
}

} // namespace

// A watched station reads its stream, writes nothing that is not wished, is
// listed as watching, puts its titles into the history and keeps its last
// minutes, which the row saves to a file in its folder, as it saves the
// song playing.
TEST_F(DesktopRecordingsTest, AWatchedStationWritesNothingButItsHistoryAndSavesWhatItKept)
{
    Station w(QStringLiteral("Watched"));
    RecordingConfig c = configFor(w);
    ASSERT_EQ(recordings->Watch(c), DesktopRecordings::Started::Started);
    EXPECT_EQ(recordings->Watch(c), DesktopRecordings::Started::AlreadyRecording);
    const int id = recordings->AlongsideOf(w.playlist);
    ASSERT_NE(id, 0);
    EXPECT_TRUE(recordings->Watched(id));
    frmMP3& r = *recordings->Recorder(id);
    QString problem;
    EXPECT_TRUE(recordings->SaveLastMinutes(id, &problem).isEmpty()); // nothing heard yet
    EXPECT_FALSE(problem.isEmpty());

    // Each metadata interval is one frame; the title comes after the first.
    ASSERT_TRUE(WaitUntil([&] { return w.loopback.last() && r.SongRulesReady(); }));
    const QByteArray frames = mp3Frames(0, 6);
    QByteArray stream = "ICY 200 OK\r\nicy-metaint:417\r\ncontent-type:audio/mpeg\r\n\r\n";
    for (int n = 0; n < 6; ++n)
        stream += frames.mid(n * 417, 417) + (n == 0 ? IcyTitleBlock("Artist - Song") : QByteArray(1, '\0'));
    w.loopback.last()->write(stream);
    const auto state = [&] {
        return recordings->Model()
            .data(recordings->Model().index(recordings->Model().RowOf(id), RecordingsModel::StateColumn))
            .toString();
    };
    EXPECT_TRUE(WaitUntil([&] { return state() == QStringLiteral("watching"); })) << state().toStdString();
    const QModelIndex heard = recordings->Model().index(recordings->Model().RowOf(id), RecordingsModel::SongColumn);
    EXPECT_TRUE(WaitUntil([&] { return heard.data().toString() == QStringLiteral("Artist - Song"); }))
        << heard.data().toString().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return r.StreamBytesTaken() >= stream.size() - 64; }));

    // The last frame is kept once the next one shows it whole.
    ASSERT_TRUE(WaitUntil([&] { return recordings->HasKept(id); }));
    const QString saved = recordings->SaveLastMinutes(id, &problem);
    ASSERT_FALSE(saved.isEmpty()) << problem.toStdString();
    EXPECT_TRUE(saved.startsWith(w.folder.path()));
    EXPECT_TRUE(QFileInfo(saved).fileName().startsWith(QStringLiteral("Watched - "))) << saved.toStdString();
    const QByteArray kept = ReadAll(saved);
    EXPECT_GE(kept.size(), 5 * 417);
    EXPECT_TRUE(frames.startsWith(kept)) << kept.size();
    // The song playing is saved from its title on, and on to the next title.
    const QString song = recordings->SaveThisSong(id, &problem);
    ASSERT_EQ(song, w.folder.file(QStringLiteral("Artist - Song.mp3"))) << problem.toStdString();
    const QByteArray more = mp3Frames(6, 3);
    w.loopback.last()->write(more.left(417) + QByteArray(1, '\0') + more.mid(417, 417) + IcyTitleBlock("Next - Title") +
                             more.mid(834));
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(song).right(128).startsWith("TAG"); }));
    EXPECT_EQ(ReadAll(song).chopped(128), (frames + more).mid(417, 7 * 417));
    // Nothing else was written: not wished, not recorded.
    EXPECT_EQ(QDir(w.folder.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name),
              (QStringList{QFileInfo(song).fileName(), QFileInfo(saved).fileName()}));

    // The title played is in the history, under the station.
    ASSERT_TRUE(WaitUntil([&] { return history->Pending() == 0; }));
    HistoryStore store(history->Path());
    ASSERT_TRUE(store.Open());
    const std::vector<Play> plays = store.Plays(); // newest first
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[1].station, w.name);
    EXPECT_EQ(plays[1].title, QStringLiteral("Artist - Song"));
    EXPECT_EQ(plays[0].title, QStringLiteral("Next - Title"));
    EXPECT_TRUE(plays[1].file.isEmpty());
}

// A wished song that begins on a second watched station while the first
// is catching it is not written there at all: no file is opened for it,
// and its play in the history has no file, as a song not recorded.
TEST_F(DesktopRecordingsTest, ASongCaughtOnOneWatchedStationIsNotOpenedOnAnother)
{
    ASSERT_TRUE(WriteAll(rulesFolder.file(QStringLiteral("WishList.txt")), "Wished - *\r\n"));
    Station a(QStringLiteral("Watch A")), b(QStringLiteral("Watch B"));
    QStringList caught;
    QObject::connect(recordings, &DesktopRecordings::caught,
                     [&](const QString& station, const QString& title, const QString& file) {
                         caught << station + QLatin1Char('|') + title + QLatin1Char('|') + file;
                     });
    std::map<QString, QStringList> opened;
    int taken = 0;
    for (Station* s : {&a, &b}) {
        ASSERT_EQ(recordings->Watch(configFor(*s)), DesktopRecordings::Started::Started);
        frmMP3& r = *recordings->Recorder(recordings->AlongsideOf(s->playlist));
        QObject::connect(&r, &frmMP3::songEvent, [&, name = s->name](const SongEvent& e) {
            if (e.kind == SongEvent::Kind::Opened)
                opened[name] << e.name;
            if (e.kind == SongEvent::Kind::Claimed)
                ++taken;
        });
        ASSERT_TRUE(WaitUntil([&] { return s->loopback.last() && r.SongRulesReady(); }));
    }
    const auto send = [](Station& s, const QByteArray& bytes) { s.loopback.last()->write(bytes); };
    // A title before the wished one, then the wished song on A; then on B.
    const QByteArray head = "ICY 200 OK\r\nicy-metaint:417\r\ncontent-type:audio/mpeg\r\n\r\n";
    const QByteArray frames = mp3Frames(0, 8);
    const auto song = [&](int from) {
        return frames.mid(from * 417, 417) + IcyTitleBlock("Wished - Song") + frames.mid((from + 1) * 417, 417) +
               QByteArray(1, '\0') + frames.mid((from + 2) * 417, 417);
    };
    for (Station* s : {&a, &b})
        send(*s, head + frames.left(417) + IcyTitleBlock("Intro - Title"));
    send(a, song(1));
    const QString fileA = a.folder.file(QStringLiteral("Wished - Song.mp3"));
    ASSERT_TRUE(WaitUntil([&] { return opened[a.name] == QStringList{QStringLiteral("Wished - Song.mp3")}; }));
    send(b, song(1));
    ASSERT_TRUE(WaitUntil([&] { return taken == 1; }));
    // Both go on to the next title: A's song is closed, B never had one.
    for (Station* s : {&a, &b})
        send(*s,
             QByteArray(1, '\0') + frames.mid(4 * 417, 417) + IcyTitleBlock("Next - Title") + frames.mid(5 * 417, 417));
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(fileA).right(128).startsWith("TAG"); }));
    EXPECT_EQ(ReadAll(fileA).chopped(128), frames.mid(2 * 417, 3 * 417));
    EXPECT_EQ(opened[b.name], QStringList());
    EXPECT_EQ(QDir(b.folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Watch B.pls")});
    EXPECT_EQ(caught, QStringList{QStringLiteral("Watch A|Wished - Song|") + fileA});

    ASSERT_TRUE(WaitUntil([&] { return history->Pending() == 0; }));
    HistoryStore store(history->Path());
    ASSERT_TRUE(store.Open());
    const struct Case {
        Station& station;
        QString file;
        const char* state;
    } cases[] = {{a, fileA, kPlayComplete}, {b, QString(), kPlaySkipped}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.station.name.toStdString());
        HistoryFilter filter;
        filter.station = c.station.name;
        filter.title = QStringLiteral("Wished");
        const std::vector<Play> plays = store.Plays(filter);
        ASSERT_EQ(plays.size(), 1u);
        EXPECT_EQ(plays[0].file, c.file);
        EXPECT_EQ(plays[0].state, QLatin1String(c.state));
        EXPECT_TRUE(plays[0].end.isValid());
    }
}

TEST(WishCatchesTest, ATitleIsCaughtOnceByTheStationThatBeganItFirst)
{
    WishCatches catches;
    // Each step in turn: a station asks to write a song, opens its file,
    // closes it or is no longer watched.
    enum class Do { Claim, Open, Close, Forget };
    const struct Step {
        Do what;
        int station;
        const char* song;
        bool claimed; // (Claim) the station may write it
        int firstBy;  // who catches it (a refused Claim, or Open)
    } steps[] = {
        {Do::Claim, 1, "Artist - Song.mp3", true, 0},
        {Do::Open, 1, "Artist - Song.mp3", true, 0},
        {Do::Claim, 1, "Artist - Song.mp3", true, 0},  // its own again (a reconnect)
        {Do::Claim, 2, "Artist - Song.mp3", false, 1}, // the second station opens nothing
        {Do::Claim, 2, "Artist - Song.ogg", false, 1}, // whatever the file's type
        {Do::Claim, 2, "Artist - Song2.mp3", true, 0}, // another title
        {Do::Claim, 3, "Other - Title.mp3", true, 0},
        {Do::Open, 3, "Other - Title.mp3", true, 0},
        {Do::Close, 9, "", true, 0}, // a station that caught nothing
        {Do::Claim, 2, "Artist - Song.mp3", false, 1},
        {Do::Close, 1, "", true, 0}, // once closed, the title is free for anyone
        {Do::Claim, 2, "Artist - Song.mp3", true, 0},
        {Do::Open, 2, "Artist - Song.mp3", true, 0},
        {Do::Claim, 1, "Artist - Song.mp3", false, 2},
        {Do::Open, 1, "Artist - Song.mp3", true, 2}, // opened unasked: the title stays the first one's
        {Do::Close, 1, "", true, 0},
        {Do::Claim, 1, "Artist - Song.mp3", false, 2},
        {Do::Claim, 2, "Other - Title.mp3", false, 3},
        {Do::Forget, 3, "", true, 0}, // no longer watched
        {Do::Claim, 2, "Other - Title.mp3", true, 0},
        {Do::Forget, 2, "", true, 0},
        {Do::Claim, 1, "Artist - Song.mp3", true, 0},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(n++));
        const QString song = QString::fromLatin1(s.song);
        switch (s.what) {
        case Do::Claim: {
            WishCatches::Caught caught;
            EXPECT_EQ(catches.Claim(s.station, song, &caught), s.claimed);
            EXPECT_EQ(caught.firstBy, s.firstBy);
            EXPECT_EQ(caught.title, s.claimed ? QString() : PlayTracker::TitleOfName(song));
            EXPECT_TRUE(caught.file.isEmpty());
            break;
        }
        case Do::Open: {
            const QString file = QStringLiteral("/m/%1/").arg(s.station) + song;
            const WishCatches::Caught caught = catches.Open(s.station, file, song);
            EXPECT_EQ(caught.firstBy, s.firstBy);
            EXPECT_EQ(caught.file, file);
            break;
        }
        case Do::Close:
            catches.Close(s.station);
            break;
        case Do::Forget:
            catches.Forget(s.station);
            break;
        }
    }
    EXPECT_TRUE(catches.Catching().isEmpty());
}

TEST(ResumeSettings, OffByDefaultAndEntriesReadBack)
{
    TempFolder store;
    SetUserSettingsFolder(store.path());
    EXPECT_FALSE(ResumeRecordings());
    SetResumeRecordings(true);
    EXPECT_TRUE(ResumeRecordings());
    const struct {
        const char* count;
        int read;
    } counts[] = {{"2", 2}, {" 1 ", 1}, {"0", 0}, {"-1", 0}, {"x", 0}, {"101", 0}};
    SetRecordingsToResume({{"p1", "a1", "t1", "f1"}, {"", "a2", "t2", "f2"}});
    for (const auto& c : counts) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("ResumeCount"),
                    QLatin1String(c.count));
        EXPECT_EQ(RecordingsToResume().size(), c.read) << c.count;
    }
    SetUserSettingsFolder(QString());
}

// The tray's "Recordings" opens the library; a file it plays stops the
// listening, to the panel's station or one alongside, and every recording
// goes on.
TEST_F(DesktopRecordingsTest, AFilePlayedInTheLibraryStopsTheListeningNotTheRecordings)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    startPrimary(a);
    int idB = 0;
    frmMP3& rb = alongside(b, &idB);
    ASSERT_TRUE(streams(b, rb));
    ASSERT_NE(program->tray()->mnuLibrary, nullptr);
    program->tray()->mnuLibrary->trigger();
    ASSERT_NE(program->library(), nullptr);
    EXPECT_TRUE(program->library()->isVisible());
    EXPECT_EQ(program->library()->windowTitle(), QStringLiteral("Recordings"));
    // Asked again, the same window comes forward.
    frmLibrary* first = program->library();
    program->ShowLibrary();
    EXPECT_EQ(program->library(), first);

    const struct Case {
        const char* what;
        int listenTo; // 0: none
    } cases[] = {{"beside", idB}, {"the panel's", recordings->PrimaryId()}, {"nothing listened to", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.listenTo)
            recordings->Listen(c.listenTo);
        EXPECT_EQ(rb.Status().blnPreviewToggle || recorder->Status().blnPreviewToggle, c.listenTo != 0);
        emit program->library()->playingStarted();
        EXPECT_FALSE(rb.Status().blnPreviewToggle);
        EXPECT_FALSE(recorder->Status().blnPreviewToggle);
        EXPECT_TRUE(rb.Status().blnRecording);
        EXPECT_TRUE(recorder->Status().blnRecording);
    }
}
