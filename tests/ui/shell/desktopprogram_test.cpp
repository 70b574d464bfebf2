// The desktop program around the recorder: where its icon or display comes
// from, the panel it opens, and what the quit routine leaves behind.
#include "fixture.h"
#include "platform/folders.h"
#include "tests/support/widgets/control.h"
#include "ui/controls/myslider.h"
#include "ui/search/pageview.h"
#include "ui/shell/desktopprogram.h"
#include "ui/tray/trayicon.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>

// What the desktop program asked of the panels it made.
struct PanelLog {
    int made = 0, fills = 0, docks = 0, openMode = 0;
    QStringList dropped;
};

class FakePanel : public QWidget, public IPanel {
public:
    explicit FakePanel(PanelLog& log) : m_log(log)
    {
        ++m_log.made;
        setWindowTitle(QStringLiteral("Tonquill v2.01"));
    }
    QWidget* PanelWindow() override { return this; }
    void LoadBasedOnCR() override { ++m_log.fills; }
    void DockDisplay() override { ++m_log.docks; }
    void SetPanelOpenMode(int mode) override { m_log.openMode = mode; }
    void AppendStation(const QString&, const QString&) override {}
    void DropOnStationList(const QString& address) override { m_log.dropped << windowTitle() + " " + address; }

private:
    PanelLog& m_log;
};

class DesktopProgramTest : public RecorderFixture {
protected:
    void make(bool trayAvailable)
    {
        icon.available = trayAvailable;
        DesktopProgram::Services services;
        services.config = &config;
        services.messages = &messages;
        services.clock = &clock;
        services.tray = &icon;
        services.masterVolume = [] { return -1; };
        services.openPreset = [this](const QString& file, bool noop) { return opener().Open(file, noop); };
        program = std::make_unique<DesktopProgram>(services, [this](IDesktopShell&) { return new FakePanel(log); });
        deps.host = program.get();
        recorder = std::make_unique<frmMP3>(deps);
        program->attach(recorder.get());
        opener().showPanel = [this] { program->ShowPanelFromConfiguration(); };
        opener().showDisplay = [this] { program->ShowRecordingDisplay(); };
    }
    void TearDown() override
    {
        program.reset();
        recorder.reset();
    }

    FakeTrayIcon icon;
    std::unique_ptr<DesktopProgram> program;
    PanelLog log;
};

TEST_F(DesktopProgramTest, WithANotificationAreaTheRecorderLivesInTheTray)
{
    make(true);
    program->Main();
    EXPECT_EQ(icon.adds, 1);
    EXPECT_EQ(TrayTipText(icon.tip), QStringLiteral("Tonquill"));
    EXPECT_EQ(program->display(), nullptr);
    ASSERT_NE(program->panel(), nullptr); // an empty command line opens the panel
    EXPECT_TRUE(program->panel()->isVisible());
    EXPECT_EQ(recorder->Status().lngVolume, 42); // set before any window read it
}

// The notification area missing at one check (its host re-registering) is
// not a lost tray; missing at two checks in a row, the display takes over.
TEST_F(DesktopProgramTest, TheDisplayTakesOverOnlyFromATrayGoneForTwoChecks)
{
    make(true);
    program->Main();
    icon.available = false;
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 1));
    icon.available = true;
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 1));
    EXPECT_TRUE(program->display() == nullptr || !program->display()->isVisible());
    icon.available = false;
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 2));
    ASSERT_NE(program->display(), nullptr);
    EXPECT_TRUE(program->display()->isVisible());
}

TEST_F(DesktopProgramTest, WithoutOneTheDisplayIsShownAtOnce)
{
    make(false);
    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    program->Main(preset, false);
    EXPECT_EQ(icon.adds, 0);
    ASSERT_NE(program->display(), nullptr);
    EXPECT_TRUE(program->display()->isVisible());
    EXPECT_EQ(program->display()->sldVolume->value(), -43); // the recorder's volume, not 0
    EXPECT_EQ(program->panel(), nullptr);

    // A preset that cannot be loaded ends the program, display and all.
    QSignalSpy quit(recorder.get(), &frmMP3::quitRequested);
    program->Main(folder.file(QStringLiteral("missing.tvp")), false);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(program->display(), nullptr);
}

// A notification area that appears after the recorder loaded (its panel
// started later) gets the icon, with the recorder's tip of the moment.
TEST_F(DesktopProgramTest, ANotificationAreaThatAppearsLaterGetsTheIcon)
{
    make(false);
    program->Main();
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 1));
    EXPECT_EQ(icon.adds, 0);
    ASSERT_NE(program->display(), nullptr);
    EXPECT_TRUE(program->display()->isVisible());
    emit recorder->trayTipChanged(QStringLiteral("Late Station"));
    icon.available = true;
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 1));
    EXPECT_EQ(icon.adds, 1);
    EXPECT_EQ(TrayTipText(icon.tip), QStringLiteral("Late Station"));
    ASSERT_TRUE(WaitForTimerTicks(DesktopProgram::kTrayWatchMs, 1));
    EXPECT_EQ(icon.adds, 1); // added once
}

TEST_F(DesktopProgramTest, SetUpFillsThePanelOnlyFromALoadedPreset)
{
    make(true);
    program->Main(folder.file(QStringLiteral("x.tvp")), false);
    EXPECT_EQ(log.made, 0);
    program->tray()->mnuSetup->trigger();
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.openMode, 1);
    EXPECT_EQ(log.fills, 0);
    EXPECT_TRUE(program->panel()->isVisible());

    config.sConfigFileName = QStringLiteral("station.tvp");
    program->panel()->showMinimized();
    program->tray()->mnuSetup->trigger();
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.fills, 1);
    EXPECT_FALSE(program->panel()->isMinimized());

    program->ShowRecordingDisplay();
    EXPECT_EQ(log.docks, 1);

    // A closed panel is gone: nothing is asked of it, and the next set-up
    // makes a new one.
    QPointer<QWidget> closed = program->panel();
    closed->close();
    ASSERT_TRUE(WaitUntil([&] { return closed.isNull(); }));
    EXPECT_EQ(program->panel(), nullptr);
    program->ShowRecordingDisplay();
    EXPECT_EQ(log.docks, 1);
    program->tray()->mnuSetup->trigger();
    EXPECT_EQ(log.made, 2);
    EXPECT_TRUE(program->panel()->isVisible());
}

TEST_F(DesktopProgramTest, TheConfirmationIsOneWindow)
{
    make(true);
    program->ShowQuitConfirmation();
    program->ShowQuitConfirmation();
    int dialogs = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        dialogs += w->windowTitle() == QStringLiteral("Are You Sure You Want To Quit?") && w->isVisible();
    EXPECT_EQ(dialogs, 1);
}

TEST_F(DesktopProgramTest, QuittingClosesAndTagsTheRecordingAndRemovesEverything)
{
    make(true);
    program->Main();
    program->ShowRecordingDisplay();
    QSignalSpy quit(recorder.get(), &frmMP3::quitRequested);
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-metaint:100\r\n\r\n" + QByteArray(100, 'a') +
                     QByteArray("\x02StreamTitle='A - B';\0\0\0\0\0\0\0\0\0\0\0", 33) + QByteArray(50, 'b')));
    const QString path = recorder->RecordingPath();
    QPointer<QWidget> panel = program->panel();
    program->QuitProgram();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(ReadAll(path).right(128).startsWith("TAG"));
    EXPECT_FALSE(icon.present);
    EXPECT_EQ(program->display(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return panel.isNull(); }));
}

// The program ended (a termination signal) while a modal dialog of the
// panel waits: the dialog returns as cancelled and its window lives on until
// the program's loop is over; the recording is closed and tagged.
TEST_F(DesktopProgramTest, QuittingWithAModalDialogOpenCancelsItAndKeepsItsWindowUntilTheEnd)
{
    make(true);
    program->Main();
    QPointer<QWidget> panel = program->panel();
    ASSERT_FALSE(panel.isNull());
    program->ShowRecordingDisplay();
    QPointer<frmRecordingDisplay> display = program->display();
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-metaint:100\r\n\r\n" + QByteArray(100, 'a') +
                     QByteArray("\x02StreamTitle='A - B';\0\0\0\0\0\0\0\0\0\0\0", 33) + QByteArray(50, 'b')));
    const QString path = recorder->RecordingPath();
    QSignalSpy quit(recorder.get(), &frmMP3::quitRequested);
    int answer = -1;
    {
        QDialog dialog(panel);
        dialog.setModal(true);
        QTimer::singleShot(0, &dialog, [&] { recorder->ExitFromMenu(); });
        QTimer::singleShot(10000, &dialog, &QDialog::accept); // bounds the wait
        answer = dialog.exec();
        EXPECT_FALSE(panel.isNull());
        EXPECT_FALSE(display.isNull());
    }
    EXPECT_EQ(answer, QDialog::Rejected);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(ReadAll(path).right(128).startsWith("TAG"));
    ASSERT_FALSE(panel.isNull());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(display->isVisible());
    program.reset();
    EXPECT_TRUE(panel.isNull());
    EXPECT_TRUE(display.isNull());
}

TEST_F(DesktopProgramTest, SearchWindowsAreMadeOnceKeptWhenClosedAndUnloadedAtTheEnd)
{
    make(true);
    program->ShowDirectorySearch();
    QPointer<frmBrowser> browser = program->directorySearch();
    ASSERT_NE(browser, nullptr);
    browser->close();
    program->ShowDirectorySearch();
    EXPECT_EQ(program->directorySearch(), browser);
    EXPECT_TRUE(browser->isVisible());
    // A playlist link clicked in the page goes to the panel, opened for it.
    emit Control<PageView>(browser, "brwWebBrowser")->playlistClicked(QUrl(QStringLiteral("http://h/a.pls")));
    EXPECT_EQ(log.dropped, QStringList{QStringLiteral("Tonquill v2.01 http://h/a.pls")});
    EXPECT_TRUE(program->panel()->isVisible());
    program->ShowPresetSearch();
    QPointer<frmLocalSearch> presets = program->presetSearch();
    ASSERT_NE(presets, nullptr);
    EXPECT_TRUE(presets->isVisible());
    // The window reads the history in the data folder.
    ProgramFolders::SetOverride(folder.path());
    program->ShowWhatPlays();
    ProgramFolders::SetOverride(QString());
    QPointer<frmWhatPlays> charts = program->whatPlays();
    ASSERT_NE(charts, nullptr);
    charts->close();
    program->ShowWhatPlays();
    EXPECT_EQ(program->whatPlays(), charts);
    EXPECT_TRUE(charts->isVisible());
    program->UnloadWindows();
    EXPECT_TRUE(browser.isNull());
    EXPECT_TRUE(presets.isNull());
    EXPECT_TRUE(charts.isNull());
    // The window's reader ends on its own, not waited for.
    EXPECT_TRUE(WaitUntil([] { return HistoryReader::RunningThreads() == 0; }, 10000));
}

// A search window opens centred over the panel and whole on the screen;
// the Radio Browser search is the directory window set to it.
TEST_F(DesktopProgramTest, SearchWindowsOpenCentredOnThePanel)
{
    make(true);
    program->Main();
    QWidget* panel = program->panel();
    ASSERT_NE(panel, nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    panel->setGeometry(QRect(QPoint(), QSize(200, 150)).translated(screen.center() - QPoint(100, 75)));
    program->ShowPresetSearch();
    QWidget* presets = program->presetSearch();
    EXPECT_LE((presets->frameGeometry().center() - panel->frameGeometry().center()).manhattanLength(), 6);
    EXPECT_TRUE(screen.contains(presets->frameGeometry()));

    // Near a corner the window is moved onto the screen rather than off it.
    panel->move(screen.topLeft());
    program->ShowRadioBrowserSearch();
    frmBrowser* browser = program->directorySearch();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(screen.contains(browser->frameGeometry()));
    EXPECT_EQ(Control<QComboBox>(browser, "SearchTypeCombo")->currentIndex(), frmBrowser::RadioBrowser);
    EXPECT_TRUE(Control<QTableWidget>(browser, "lstResults")->isVisible());
}

// " -noop": a panel opened for a loaded preset fills itself as it loads, so
// it is not filled a second time; an open panel is filled again.
TEST_F(DesktopProgramTest, APresetOpensThePanelFilledOnce)
{
    make(true);
    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    program->Main(preset, true);
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.fills, 0);
    program->ShowPanelFromConfiguration();
    EXPECT_EQ(log.fills, 1);
}

// The media controls' Raise: the window that is shown comes to the front;
// with none shown, the display while recording and the panel otherwise.
TEST_F(DesktopProgramTest, RaiseShowsTheDisplayWhileRecordingElseThePanel)
{
    make(true);
    program->RaiseWindows();
    ASSERT_NE(program->panel(), nullptr);
    EXPECT_TRUE(program->panel()->isVisible());
    EXPECT_EQ(program->display(), nullptr);
    EXPECT_EQ(log.made, 1);

    program->panel()->hide();
    startOnStation();
    ASSERT_TRUE(recorder->Status().blnRecording);
    program->RaiseWindows();
    ASSERT_NE(program->display(), nullptr);
    EXPECT_TRUE(program->display()->isVisible());
    EXPECT_FALSE(program->panel()->isVisible());
    recorder->StopRecording();
    program->RaiseWindows(); // the display is shown: it stays the one raised
    EXPECT_FALSE(program->panel()->isVisible());
    EXPECT_EQ(log.made, 1);
}
