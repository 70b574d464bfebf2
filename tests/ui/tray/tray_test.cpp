// The tray icon and its menu against the recorder, and the quit confirmation.
#include "fixture.h"
#include "recorder/recordingfiles.h"
#include "tests/support/widgets/appfont.h"
#include "tests/support/widgets/control.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/shell/desktopshell.h"
#include "ui/tray/frmareyousure.h"
#include "ui/tray/recordertray.h"
#include "ui/tray/trayicon.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QWidget>
#include <limits>

namespace {

class FakeWindows : public ITrayWindows {
public:
    FakeWindows()
    {
        panel.setWindowTitle(QStringLiteral("Tonquill v2.01"));
        display.setWindowTitle(QStringLiteral("Tonquill"));
    }
    QWidget* RecordingDisplay(bool load) override
    {
        if (load)
            displayLoaded = true;
        return displayLoaded ? &display : nullptr;
    }
    QWidget* Panel() override { return panelLoaded ? &panel : nullptr; }
    void ShowPanelForSetup() override { ++setups; }

    QWidget panel;
    QWidget display;
    bool panelLoaded = false;
    bool displayLoaded = false;
    int setups = 0;
};

struct MenuRow {
    const char* when;
    bool toggleDisplay, listen, start, stop, pause;
    const char* exitCaption;
};

} // namespace

class TrayTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recordSongsContinuously();
        tray = std::make_unique<RecorderTray>(*recorder, icon, windows);
        tray->Create();
    }
    void checkMenu(const MenuRow& row)
    {
        SCOPED_TRACE(row.when);
        EXPECT_TRUE(tray->mnuSetup->isEnabled());
        EXPECT_TRUE(tray->mPopExit->isEnabled());
        EXPECT_EQ(tray->mnuToggleDisplay->isEnabled(), row.toggleDisplay);
        EXPECT_EQ(tray->mnuListen->isEnabled(), row.listen);
        EXPECT_EQ(tray->mnuStartRecording->isEnabled(), row.start);
        EXPECT_EQ(tray->mnuStopRecording->isEnabled(), row.stop);
        EXPECT_EQ(tray->mnuPauseRecording->isEnabled(), row.pause);
        EXPECT_EQ(tray->mPopExit->text(), QString::fromLatin1(row.exitCaption));
    }

    FakeTrayIcon icon;
    FakeWindows windows;
    std::unique_ptr<RecorderTray> tray;
};

TEST(TrayTip, TheFieldHoldsSixtyThreeCharactersAZeroAndSpaces)
{
    const struct {
        QString text;
        QString shown;
    } rows[] = {
        {QStringLiteral("Tonquill"), QStringLiteral("Tonquill")},
        {QString(), QString()},
        {QString(63, QLatin1Char('x')), QString(63, QLatin1Char('x'))},
        {QString(64, QLatin1Char('y')), QString(63, QLatin1Char('y'))},
        {QString(200, QLatin1Char('z')), QString(63, QLatin1Char('z'))},
    };
    for (const auto& row : rows) {
        const QString field = TrayTipField(row.text);
        EXPECT_EQ(field.size(), kTrayTipLength);
        EXPECT_EQ(field.at(row.shown.size()), QChar(0));
        EXPECT_EQ(TrayTipText(field), row.shown);
        EXPECT_EQ(field.mid(row.shown.size() + 1), QString(kTrayTipLength - row.shown.size() - 1, QLatin1Char(' ')));
    }
}

TEST_F(TrayTest, TheMenuFollowsTheRecordingFromStartToStop)
{
    EXPECT_EQ(icon.adds, 1);
    EXPECT_EQ(TrayTipText(icon.tip), QStringLiteral("Tonquill"));
    EXPECT_EQ(icon.menu, tray->mPopupSys);
    const QStringList order = [&] {
        QStringList names;
        for (QAction* a : tray->mPopupSys->actions())
            names << a->objectName();
        return names;
    }();
    EXPECT_EQ(order, (QStringList{"mnuSetup", "mnuBlah2", "mnuToggleDisplay", "mnuListen", "mnuStartRecording",
                                  "mnuStopRecording", "mnuPauseRecording", "mnuBlah", "mPopExit"}));

    checkMenu({"at start", false, false, false, false, false, "E&xit"});
    startOnStation();
    checkMenu({"recording", true, true, false, true, true, "Stop Recording and Exit"});

    recorder->TogglePause();
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Unpause Recording"));
    recorder->Timer1_Timer();
    EXPECT_EQ(TrayTipText(icon.tip), QStringLiteral("Tonquill -- PAUSED"));
    recorder->TogglePause();
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Pause Recording"));

    tray->mnuListen->trigger();
    recorder->Timer1_Timer();
    EXPECT_EQ(tray->mnuListen->text(), QStringLiteral("Stop listening to recording"));
    EXPECT_TRUE(relay.on);

    tray->mnuStopRecording->trigger();
    checkMenu({"stopped", true, false, true, false, false, "Exit"});
    EXPECT_EQ(TrayTipText(icon.tip), QStringLiteral("Tonquill"));
    EXPECT_FALSE(recorder->Status().blnRecording);
}

// A stop ends a pause: the menu is as after any stop, and the next
// recording is not paused.
TEST_F(TrayTest, StoppingWhilePausedResetsThePauseItem)
{
    startOnStation();
    tray->mnuPauseRecording->trigger();
    ASSERT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Unpause Recording"));
    tray->mnuStopRecording->trigger();
    checkMenu({"stopped", true, false, true, false, false, "Exit"});
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Pause Recording"));
    EXPECT_FALSE(recorder->Status().blnPaused);
    startOnStation();
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Pause Recording"));
    EXPECT_FALSE(recorder->Status().blnPaused);
}

TEST_F(TrayTest, TheDisplaysPauseBeforeARecordingLeavesTheMenuAsItIs)
{
    RecordingDesktopShell shell;
    DisplayEnvironment env;
    env.masterVolume = [] { return 30; };
    env.cursorPos = [] { return QPoint(-100, -100); };
    frmRecordingDisplay display(*recorder, config, shell, env);
    const MenuRow atStart{"at start", false, false, false, false, false, "E&xit"};

    display.cmdPause->click();
    checkMenu(atStart);
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Pause Recording"));
    display.cmdPause->click();
    checkMenu(atStart);

    // Paused before it starts, a recording starts paused and says so.
    display.cmdPause->click();
    startOnStation();
    checkMenu({"recording", true, true, false, true, true, "Stop Recording and Exit"});
    EXPECT_TRUE(recorder->Status().blnPaused);
    EXPECT_EQ(tray->mnuPauseRecording->text(), QStringLiteral("Unpause Recording"));
}

TEST_F(TrayTest, ALongTipIsCutToTheField)
{
    config.sRecordingTitle = QString(100, QLatin1Char('T'));
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\n\r\n" + QByteArray(100, 'a')));
    recorder->Timer1_Timer();
    EXPECT_GT(icon.modifies, 0);
    EXPECT_EQ(TrayTipText(icon.tip), (QStringLiteral("RECORDING ") + config.sRecordingTitle).left(63));
    EXPECT_EQ(icon.tip.size(), kTrayTipLength);
}

TEST_F(TrayTest, DoubleClickOpensTheDisplayWhileRecordingAndThePanelOtherwise)
{
    icon.send(kTrayLeftDoubleClick);
    EXPECT_EQ(windows.setups, 1);
    EXPECT_FALSE(windows.displayLoaded);

    startOnStation();
    icon.send(kTrayLeftDoubleClick);
    EXPECT_EQ(windows.setups, 1);
    ASSERT_TRUE(windows.displayLoaded);
    EXPECT_TRUE(windows.display.isVisible());
    EXPECT_EQ(tray->mnuToggleDisplay->text(), QStringLiteral("Hide Recording Display"));

    // A minimised display is restored and stays shown.
    windows.display.showMinimized();
    icon.send(kTrayLeftDoubleClick);
    EXPECT_FALSE(windows.display.isMinimized());
    EXPECT_TRUE(windows.display.isVisible());

    // Shown and not minimised: the item hides it.
    tray->mnuToggleDisplay->trigger();
    EXPECT_FALSE(windows.display.isVisible());
    EXPECT_EQ(tray->mnuToggleDisplay->text(), QStringLiteral("Show Recording Display"));
}

TEST_F(TrayTest, LeftClickRestoresTheVisiblePanelByItsOwnCaption)
{
    windows.panelLoaded = true;
    windows.panel.showMinimized();
    ASSERT_TRUE(windows.panel.isMinimized());
    icon.send(kTrayLeftButtonDown);
    EXPECT_FALSE(windows.panel.isMinimized());

    // A hidden panel is left alone.
    windows.panel.hide();
    icon.send(kTrayLeftButtonDown);
    EXPECT_FALSE(windows.panel.isVisible());
}

TEST_F(TrayTest, ExitClosesAndTagsTheFileThenQuits)
{
    QSignalSpy quit(recorder.get(), &frmMP3::quitRequested);
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-metaint:100\r\n\r\n" + QByteArray(100, 'a') +
                     QByteArray("\x02StreamTitle='A - B';\0\0\0\0\0\0\0\0\0\0\0", 33) + QByteArray(50, 'b')));
    const QString path = recorder->RecordingPath();
    ASSERT_FALSE(path.isEmpty());
    tray->mPopExit->trigger();
    ASSERT_EQ(quit.count(), 1);
    EXPECT_EQ(host.unloads, 1);
    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 50 + 128);
    EXPECT_TRUE(bytes.right(128).startsWith("TAG"));
}

TEST_F(TrayTest, StartRecordingReloadsTheLastPreset)
{
    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    ASSERT_TRUE(opener().Open(preset));
    recorder->StopRecording();
    config.sRecordingTitle.clear();
    tray->mnuStartRecording_Click();
    EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Station"));
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Resolving);

    recorder->StopRecording();
    ASSERT_TRUE(QFile::remove(preset));
    tray->mnuStartRecording_Click();
    EXPECT_TRUE(messages.messages.contains(QStringLiteral("The preset file specified does not exist!")));
}

class QuitDialogTest : public TrayTest {
protected:
    frmAreYouSure* open(qint32 at)
    {
        clock.set(at);
        auto* d = new frmAreYouSure(*recorder, shell, clock);
        d->show();
        return d;
    }
    RecordingDesktopShell shell;
};

TEST_F(QuitDialogTest, LeftAloneItAnswersNoAfterFiveSecondsAcrossTheWrap)
{
    startOnStation();
    const qint32 starts[] = {1000, std::numeric_limits<qint32>::max() - 2000};
    for (const qint32 start : starts) {
        SCOPED_TRACE(start);
        QPointer<frmAreYouSure> d = open(start);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Are You Sure You Want To Quit?"));
        // The seconds left stand beside the question.
        const struct {
            qint32 advance;
            const char* text;
        } steps[] = {{0, "(No in 5 s)"} /* as it opens */,
                     {1, "(No in 5 s)"},
                     {999, "(No in 4 s)"},
                     {3001, "(No in 1 s)"},
                     {998, "(No in 1 s)"}};
        for (const auto& step : steps) {
            clock.advance(step.advance);
            if (step.advance > 0)
                d->Timer1_Timer();
            EXPECT_EQ(Control<QLabel>(d, "lblQuit")->text(),
                      QStringLiteral("We are recording! Are you sure you wish to quit? ") + QLatin1String(step.text));
        }
        EXPECT_EQ(Control<QPushButton>(d, "cmdYes")->text(), QStringLiteral("&Yes"));
        EXPECT_EQ(Control<QPushButton>(d, "cmdNo")->text(), QStringLiteral("&No"));
        clock.advance(1);
        d->Timer1_Timer();
        EXPECT_TRUE(d->isVisible());
        // (across the wrap the compensation counts one millisecond less)
        clock.advance(2);
        d->Timer1_Timer();
        EXPECT_TRUE(!d || !d->isVisible());
        ASSERT_TRUE(WaitUntil([&] { return d.isNull(); }));
    }
    EXPECT_TRUE(recorder->Status().blnRecording);
    EXPECT_EQ(shell.quits, 0);
}

// The caption is whole in the title bar: the dialog widens to it, at small
// and large fonts alike, and the question is whole inside.
TEST_F(QuitDialogTest, TheDialogIsWideEnoughForItsCaption)
{
    for (const int points : {8, 10, 16}) {
        SCOPED_TRACE(points);
        const ScopedApplicationFont size(points);
        QPointer<frmAreYouSure> d = open(5000);
        QFont bold = d->font();
        bold.setBold(true);
        const QFontMetrics title(bold), text(d->font());
        EXPECT_GE(d->width(), title.horizontalAdvance(d->windowTitle()) + 4 * text.height());
        EXPECT_GE(Control<QLabel>(d, "lblQuit")->height(), text.height());
        d->close();
    }
}

TEST_F(QuitDialogTest, KeysAnswerIt)
{
    const struct {
        Qt::Key key;
        const char* text;
        bool closes, quits;
    } rows[] = {
        {Qt::Key_X, "x", false, false}, {Qt::Key_N, "n", true, false},
        {Qt::Key_N, "N", true, false},  {Qt::Key_Y, "y", false, true}, // the quit routine closes it
        {Qt::Key_Y, "Y", false, true},
    };
    startOnStation();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        shell.quits = 0;
        QPointer<frmAreYouSure> d = open(5000);
        QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier, QString::fromLatin1(row.text));
        QCoreApplication::sendEvent(d, &press);
        EXPECT_EQ(!d || !d->isVisible(), row.closes);
        EXPECT_EQ(shell.quits, row.quits ? 1 : 0);
        if (d)
            d->close();
    }
}

TEST_F(QuitDialogTest, YesStopsTheRecordingWithATaggedFileAndQuits)
{
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-metaint:100\r\n\r\n" + QByteArray(100, 'a') +
                     QByteArray("\x02StreamTitle='A - B';\0\0\0\0\0\0\0\0\0\0\0", 33) + QByteArray(50, 'b')));
    const QString path = recorder->RecordingPath();
    frmAreYouSure* d = open(5000);
    Control<QPushButton>(d, "cmdYes")->click();
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(shell.quits, 1);
    EXPECT_TRUE(ReadAll(path).right(128).startsWith("TAG"));
}

// The menu is derived from the recorder's status alone.
TEST(TrayMenuState, FollowsRecordingPauseAndListening)
{
    const struct {
        bool recording, paused, listening;
        const char* exitCaption;
        const char* pauseCaption;
        const char* listenCaption;
    } rows[] = {
        {false, false, false, "Exit", "Pause Recording", "Listen to recording"},
        // a pause before a recording shows only once the recording runs
        {false, true, true, "Exit", "Pause Recording", "Stop listening to recording"},
        {true, false, false, "Stop Recording and Exit", "Pause Recording", "Listen to recording"},
        {true, true, true, "Stop Recording and Exit", "Unpause Recording", "Stop listening to recording"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.recording << row.paused << row.listening);
        RecorderStatus status;
        status.blnRecording = row.recording;
        status.blnPaused = row.paused;
        status.blnPreviewToggle = row.listening;
        const RecorderMenuState m = MenuStateOf(status);
        EXPECT_EQ(m.mPopExit, QString::fromLatin1(row.exitCaption));
        EXPECT_EQ(m.mnuPauseRecordingCaption, QString::fromLatin1(row.pauseCaption));
        EXPECT_EQ(m.mnuListenCaption, QString::fromLatin1(row.listenCaption));
        EXPECT_EQ(m.mnuStartRecording, !row.recording);
        EXPECT_EQ(m.mnuStopRecording, row.recording);
        EXPECT_EQ(m.mnuPauseRecording, row.recording);
        EXPECT_EQ(m.mnuListen, row.recording);
        EXPECT_TRUE(m.mnuToggleDisplay);
    }
}

// "Recordings" goes above the separator over the exit item, once however
// often it is added, and opens the library.
TEST_F(TrayTest, RecordingsOpensTheLibraryFromAboveExit)
{
    int opened = 0;
    QAction* item = tray->AddLibrary([&opened] { ++opened; });
    EXPECT_EQ(tray->AddLibrary([&opened] { opened += 100; }), item);
    tray->AddStopAll([] {});
    QStringList names;
    for (QAction* a : tray->mPopupSys->actions())
        names << a->objectName();
    EXPECT_EQ(names, (QStringList{"mnuSetup", "mnuBlah2", "mnuToggleDisplay", "mnuListen", "mnuStartRecording",
                                  "mnuStopRecording", "mnuPauseRecording", "mnuStopAll", "mnuLibrary", "mnuBlah",
                                  "mPopExit"}));
    EXPECT_EQ(item->text(), QStringLiteral("Recordings"));
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(opened, 1);
}
