// The panel's options: the settings kept between runs, the capture modes and
// the save path, readiness, the spinner, tools, help and the pop-up.
#include "panelfixture.h"
#include "tests/support/widgets/control.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/panel/frmhelp.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QToolButton>

using PanelSettingsTest = PanelFixture;

namespace {

// Every option the panel keeps between runs.
struct Options {
    int capture; // 1 single file, 2 stream titles, 3 dated archive
    QString path;
    bool fakeIE, timed, listen;
    int minutes;
    bool shutdown, paused;
    QString header;
    bool cleanup;
    int days;
    bool operator==(const Options&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Options& o)
{
    return os << "capture " << o.capture << " path " << o.path.toStdString() << " ie " << o.fakeIE << " timed "
              << o.timed << " listen " << o.listen << " minutes " << o.minutes << " shutdown " << o.shutdown
              << " paused " << o.paused << " header " << o.header.toStdString() << " cleanup " << o.cleanup << " days "
              << o.days;
}

void apply(frmRecord& p, const Options& o)
{
    (o.capture == 1   ? Control<QRadioButton>(&p, "optFile")
     : o.capture == 3 ? Control<QRadioButton>(&p, "optDated")
                      : Control<QRadioButton>(&p, "optNormal"))
        ->click();
    Control<QLineEdit>(&p, "txtMP3Path")->setText(o.path);
    if (Control<QCheckBox>(&p, "mnuIEWebHeader")->isChecked() != o.fakeIE)
        Control<QCheckBox>(&p, "mnuIEWebHeader")->click();
    Control<QCheckBox>(&p, "chkTimed")->setChecked(o.timed);
    Control<QCheckBox>(&p, "chkListenOn")->setChecked(o.listen);
    Control<ASpinnerBox>(&p, "spnTimeInMinutes")->setValue(o.minutes);
    Control<QCheckBox>(&p, "chkShutdown")->setChecked(o.shutdown);
    Control<QCheckBox>(&p, "chkStartPaused")->setChecked(o.paused);
    Control<QLineEdit>(&p, "txtBaseLineName")->setText(o.header);
    Control<QCheckBox>(&p, "chkCleanup")->setChecked(o.cleanup);
    Control<ASpinnerBox>(&p, "spnRecordingDays")->setValue(o.days);
}

Options read(const frmRecord& p)
{
    const int capture = Control<QRadioButton>(&p, "optFile")->isChecked()     ? 1
                        : Control<QRadioButton>(&p, "optNormal")->isChecked() ? 2
                        : Control<QRadioButton>(&p, "optDated")->isChecked()  ? 3
                                                                              : 0;
    return {capture,
            Control<QLineEdit>(&p, "txtMP3Path")->text(),
            Control<QCheckBox>(&p, "mnuIEWebHeader")->isChecked(),
            Control<QCheckBox>(&p, "chkTimed")->isChecked(),
            Control<QCheckBox>(&p, "chkListenOn")->isChecked(),
            Control<ASpinnerBox>(&p, "spnTimeInMinutes")->value(),
            Control<QCheckBox>(&p, "chkShutdown")->isChecked(),
            Control<QCheckBox>(&p, "chkStartPaused")->isChecked(),
            Control<QLineEdit>(&p, "txtBaseLineName")->text(),
            Control<QCheckBox>(&p, "chkCleanup")->isChecked(),
            Control<ASpinnerBox>(&p, "spnRecordingDays")->value()};
}

} // namespace

TEST_F(PanelSettingsTest, EveryOptionComesBackAfterClosing)
{
    const QString dir = folder.path();
    const QList<Options> cases{
        {3, dir, true, true, true, 75, true, true, QStringLiteral("Morning"), true, 14},
        {1, dir + QStringLiteral("show.mp3"), false, false, false, 1, false, false, QString(), false, 0},
        {2, dir, true, false, true, 99999, false, true, QStringLiteral("x"), false, 99999},
        {2, QString(), false, true, false, 0, true, false, QString(), true, 1},
    };
    for (const Options& want : cases) {
        SCOPED_TRACE(want.capture);
        open();
        apply(*panel, want);
        reopen();
        EXPECT_EQ(read(*panel), want);
        EXPECT_EQ(Control<QGroupBox>(panel.get(), "fraDateMode")->isHidden(), want.capture != 3);
        EXPECT_EQ(Control<QLabel>(panel.get(), "lblPathToSave")->text() == QLatin1String("MP3 file:"),
                  want.capture == 1);
        panel.reset();
    }
}

TEST_F(PanelSettingsTest, FirstStartWithAnEmptyStore)
{
    open();
    EXPECT_TRUE(Control<QRadioButton>(panel.get(), "optNormal")->isChecked());
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtMP3Path")->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtBaseLineName")->text().isEmpty());
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdPreview")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdSave")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(panel.get(), "chkUseEnternal")->isChecked());
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->text().isEmpty());
    EXPECT_TRUE(Control<QGroupBox>(panel.get(), "fraDateMode")->isHidden());
}

TEST_F(PanelSettingsTest, ValuesThatAreNotNumbersDoNotStopTheStart)
{
    const QString app = QStringLiteral("Tonquill"), section = QStringLiteral("Registration");
    SaveSetting(app, section, QStringLiteral("Capture"), QStringLiteral("two"));
    SaveSetting(app, section, QStringLiteral("FakeIE"), QStringLiteral("yes"));
    SaveSetting(app, section, QStringLiteral("TimeRec"), QStringLiteral("on"));
    SaveSetting(app, section, QStringLiteral("RecTime"), QStringLiteral("ninety"));
    SaveSetting(app, section, QStringLiteral("DaysKeeping"), QStringLiteral("-3"));
    SaveSetting(app, section, QStringLiteral("Shutdown"), QStringLiteral(" 1 "));
    open();
    EXPECT_FALSE(Control<QRadioButton>(panel.get(), "optNormal")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(panel.get(), "optDated")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(panel.get(), "optFile")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(panel.get(), "chkTimed")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(panel.get(), "chkShutdown")->isChecked());
    EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->value(), 0);
    EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->value(), 0); // below the spinner's range: refused
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
}

TEST_F(PanelSettingsTest, TheExternalPlayerIsKeptUntilUnticked)
{
    open();
    Control<QCheckBox>(panel.get(), "chkUseEnternal")->click();
    dialogs.openAnswer = QStringLiteral("/usr/bin/player");
    panel->cmdBrowsePlayer_Click();
    reopen();
    EXPECT_TRUE(Control<QCheckBox>(panel.get(), "chkUseEnternal")->isChecked());
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->text(), QStringLiteral("/usr/bin/player"));
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->isEnabled());
    Control<QCheckBox>(panel.get(), "chkUseEnternal")->click();
    EXPECT_FALSE(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdBrowsePlayer")->isEnabled());
    reopen();
    EXPECT_FALSE(Control<QCheckBox>(panel.get(), "chkUseEnternal")->isChecked());
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->text().isEmpty());
    EXPECT_FALSE(Control<QLineEdit>(panel.get(), "txtExternalPlayer")->isEnabled());
}

// The stored web-agent choice is the box's and the flag's at start and is
// written back unchanged; with none stored the box shows the flag.
TEST_F(PanelSettingsTest, TheStoredWebAgentChoiceIsAppliedAndKept)
{
    struct Case {
        const char* stored; // nullptr: no key
        int flag;           // -1: no flag written
        bool box;
    };
    const QList<Case> cases{{"1", -1, true}, {"1", 0, true}, {"0", 1, false}, {nullptr, 1, true}, {nullptr, -1, false}};
    const QString app = QStringLiteral("Tonquill"), section = QStringLiteral("Registration");
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.stored ? c.stored : "none") << " flag " << c.flag);
        QFile::remove(TavrixIniPath());
        if (c.flag >= 0)
            SetIEAgent(c.flag == 1);
        QFile::remove(UserSettingsFile(app));
        if (c.stored)
            SaveSetting(app, section, QStringLiteral("FakeIE"), QString::fromLatin1(c.stored));
        open();
        EXPECT_EQ(Control<QCheckBox>(panel.get(), "mnuIEWebHeader")->isChecked(), c.box);
        EXPECT_EQ(GetIEAgent(), c.box);
        closePanel();
        EXPECT_EQ(GetSetting(app, section, QStringLiteral("FakeIE"), QString()), c.box ? "1" : "0");
        EXPECT_EQ(GetIEAgent(), c.box);
    }
}

using SavePathTest = PanelFixture;

TEST_F(SavePathTest, SwitchingModesRestoresEachModesText)
{
    open();
    const QString dir = folder.path(), file = folder.file(QStringLiteral("show.mp3"));
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(dir);
    Control<QRadioButton>(panel.get(), "optFile")->click();
    EXPECT_EQ(Control<QLabel>(panel.get(), "lblPathToSave")->text(), QStringLiteral("MP3 file:"));
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtMP3Path")->text().isEmpty());
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(file);
    Control<QRadioButton>(panel.get(), "optNormal")->click();
    EXPECT_EQ(Control<QLabel>(panel.get(), "lblPathToSave")->text(), QStringLiteral("Path to save MP3s to:"));
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), dir);
    EXPECT_EQ(panel->FileText, file);
    Control<QRadioButton>(panel.get(), "optDated")->click(); // one folder mode to the other: the text stays
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), dir);
    EXPECT_FALSE(Control<QGroupBox>(panel.get(), "fraDateMode")->isHidden());
    Control<QRadioButton>(panel.get(), "optFile")->click();
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), file);
    EXPECT_EQ(panel->FolderText, dir);
    EXPECT_TRUE(Control<QGroupBox>(panel.get(), "fraDateMode")->isHidden());
}

TEST_F(SavePathTest, ReadinessNeedsAStationAPathAndInDatedModeAHeader)
{
    struct Case {
        int capture;
        QString path, header;
        bool station; // a station was fetched
        bool ready;
    };
    const QString dir = folder.path();
    const QString noSlash = dir.chopped(1);
    const QList<Case> cases{
        {3, dir, "", true, false},  {3, dir, "Morning", true, true},   {3, "", "Morning", true, false},
        {2, dir, "", true, true},   {2, noSlash, "", true, true},      {2, "", "x", true, false},
        {2, dir, "", false, false}, {3, dir, "Morning", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.capture << " '" << c.path.toStdString() << "' '"
                                          << c.header.toStdString() << "' " << c.station);
        open();
        panel->StationReady = c.station;
        (c.capture == 3 ? Control<QRadioButton>(panel.get(), "optDated")
                        : Control<QRadioButton>(panel.get(), "optNormal"))
            ->click();
        Control<QLineEdit>(panel.get(), "txtBaseLineName")->setText(c.header);
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(c.path);
        panel->txtMP3Path_LostFocus();
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled(), c.ready);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdPreview")->isEnabled(), c.ready);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdSave")->isEnabled(), c.ready);
        EXPECT_EQ(panel->CheckReady(true), c.ready);
        if (!c.path.isEmpty()) {
            EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), dir); // one final separator
        }
        EXPECT_TRUE(messages.messages.isEmpty());
        panel.reset();
    }
}

TEST_F(SavePathTest, AFolderThatIsNotThereIsRefusedAndTheTextRestored)
{
    open();
    panel->StationReady = true;
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(folder.path());
    panel->txtMP3Path_LostFocus();
    ASSERT_TRUE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
    panel->txtMP3Path_GotFocus();
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(folder.file(QStringLiteral("missing")));
    panel->txtMP3Path_LostFocus();
    EXPECT_EQ(messages.messages, QStringList(QStringLiteral("The path is invalid!")));
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.path());
    EXPECT_FALSE(panel->PathValid);
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
}

TEST_F(SavePathTest, AFileThatCannotBeCreatedIsRefusedAndTheTextRestored)
{
    struct Case {
        const char* what;
        QString folder;
        bool needsPermissions;
    };
    const QString locked = folder.file(QStringLiteral("locked/"));
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QList<Case> cases{
        {"folder missing", folder.file(QStringLiteral("missing/")), false},
        {"folder without write permission", locked, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsPermissions && isRoot())
            continue; // root writes anywhere
        messages.messages.clear();
        open();
        Control<QRadioButton>(panel.get(), "optFile")->click();
        const QString good = folder.file(QStringLiteral("good.mp3"));
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(good);
        panel->txtMP3Path_LostFocus();
        ASSERT_TRUE(panel->PathValid);
        EXPECT_FALSE(QFile::exists(good)); // the probe is removed again
        panel->txtMP3Path_GotFocus();
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(c.folder + QStringLiteral("show.mp3"));
        panel->txtMP3Path_LostFocus();
        EXPECT_EQ(messages.messages, QStringList(QStringLiteral("Invalid MP3 file name!")));
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), good);
        EXPECT_FALSE(panel->PathValid);
        EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
        panel.reset();
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(SavePathTest, TheFolderBrowserReturningTheSameFolderKeepsThePathValid)
{
    open();
    panel->StationReady = true;
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(folder.path());
    panel->txtMP3Path_LostFocus();
    dialogs.folderAnswer = folder.path();
    panel->cmdPathToSave_Click();
    EXPECT_EQ(dialogs.lastCaption, QStringLiteral("Select a Path To Save To"));
    EXPECT_EQ(dialogs.lastInitialPath, folder.path());
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.path());
    EXPECT_TRUE(panel->PathValid);
    EXPECT_TRUE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
}

// Save Preset File and Open Preset File start in the data folder's
// "Presets", made when missing, which is where the preset search looks.
TEST_F(SavePathTest, PresetDialogsOpenInThePresetsFolder)
{
    const QString presets = QDir(home.path()).filePath(QStringLiteral("Presets")) + QLatin1Char('/');
    ASSERT_FALSE(QFileInfo::exists(presets));
    const struct {
        QString loaded; // the configuration's preset file
        QString initial;
    } rows[] = {
        {QString(), presets},
        {folder.file(QStringLiteral("elsewhere/Jazz FM.tvp")), presets + QStringLiteral("Jazz FM.tvp")},
        {presets + QStringLiteral("Rock.tvp"), presets + QStringLiteral("Rock.tvp")},
    };
    open();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.loaded.toStdString());
        config.sConfigFileName = row.loaded;
        panel->cmdSave_Click();
        EXPECT_EQ(dialogs.lastInitialPath, row.initial);
        EXPECT_TRUE(QFileInfo(presets).isDir());
        QDir(presets).removeRecursively();
        panel->cmdLoadConfiguration_Click();
        EXPECT_EQ(dialogs.lastInitialPath, row.initial);
        EXPECT_TRUE(QFileInfo(presets).isDir());
    }
    EXPECT_EQ(dialogs.saves, 3);
    EXPECT_EQ(dialogs.opens, 3);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SavePathTest, TheMinutesSpinnerNeverStaysBelowOne)
{
    open();
    for (const auto& [given, kept] : {std::pair{0, 1}, std::pair{1, 1}, std::pair{2, 2}, std::pair{99999, 99999}}) {
        SCOPED_TRACE(given);
        panel->PanelEdited = false;
        Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->setValue(given);
        panel->spnTimeInMinutes_Validate();
        EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->value(), kept);
        EXPECT_TRUE(panel->PanelEdited);
    }
}

using PanelMenuTest = PanelFixture;

TEST_F(PanelMenuTest, AMissingToolShowsItsMessage)
{
    open();
    const QList<std::pair<QAction*, QString>> cases{
        {Control<QAction>(panel.get(), "mnuConverter"), "shiftwell"},
        {Control<QAction>(panel.get(), "mnuMedia1"), "shiftwell"},
        {Control<QAction>(panel.get(), "mnuCreator"), "discwright"},
        {Control<QAction>(panel.get(), "mnuCreator1"), "discwright"},
        {Control<QAction>(panel.get(), "mnuPressling"), "pressling"},
        {Control<QAction>(panel.get(), "mnuPressling1"), "pressling"},
    };
    for (const auto& [action, program] : cases) {
        SCOPED_TRACE(action->objectName().toStdString());
        ASSERT_FALSE(QFile::exists(ProgramBesideExecutable(program)));
        messages.messages.clear();
        action->trigger();
        EXPECT_EQ(messages.messages,
                  QStringList(QStringLiteral(" Error : ") + program + QStringLiteral(" not found !")));
    }
    EXPECT_TRUE(launcher.started.isEmpty());
}

// Closing the panel ends the program: while a recording runs (not paused)
// it asks first and stays open; otherwise it closes, writing its list.
TEST_F(PanelMenuTest, ClosingDuringARecordingAsksFirst)
{
    open();
    panel->show();
    startOnStation();
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused);
        if (paused)
            recorder->TogglePause();
        shell.confirmations = shell.quits = 0;
        QFile::remove(panelDeps.stationFile);
        const bool closed = panel->close();
        EXPECT_EQ(closed, paused);
        EXPECT_EQ(shell.confirmations, paused ? 0 : 1);
        EXPECT_EQ(shell.quits, paused ? 1 : 0);
        EXPECT_EQ(QFile::exists(panelDeps.stationFile), paused);
        EXPECT_TRUE(recorder->Status().blnRecording);
    }
}

// A tool is offered when its program is on the PATH (or beside the
// executable) as the menu opens; one that is not is disabled and says why;
// one that went away after the menu opened still gets its message.
TEST_F(PanelMenuTest, ToolItemsFollowWhetherTheirProgramIsInstalled)
{
    TempFolder bin;
    const QString converter = bin.file(QStringLiteral("shiftwell"));
    ASSERT_TRUE(WriteAll(converter, "#!/bin/sh\n"));
    QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8());
    open();
    struct Case {
        QAction* item;
        bool installed;
    };
    for (QMenu* menu : {Control<QMenu>(panel.get(), "mnuToolsPopup"),
                        qobject_cast<QMenu*>(Control<QAction>(panel.get(), "mnuMedia1")->parent())}) {
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            a->setEnabled(false);
        emit menu->aboutToShow();
    }
    const QList<Case> cases{{Control<QAction>(panel.get(), "mnuConverter"), true},
                            {Control<QAction>(panel.get(), "mnuMedia1"), true},
                            {Control<QAction>(panel.get(), "mnuCreator"), false},
                            {Control<QAction>(panel.get(), "mnuCreator1"), false},
                            {Control<QAction>(panel.get(), "mnuPressling"), false},
                            {Control<QAction>(panel.get(), "mnuPressling1"), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item->objectName().toStdString());
        EXPECT_EQ(c.item->isEnabled(), c.installed);
        EXPECT_EQ(c.item->toolTip().contains(QStringLiteral("is not installed")), !c.installed)
            << c.item->toolTip().toStdString();
        if (!c.installed) {
            EXPECT_TRUE(c.item->toolTip().startsWith(c.item->text()));
        }
    }
    Control<QAction>(panel.get(), "mnuConverter")->trigger();
    EXPECT_EQ(launcher.started, QStringList{converter});
    EXPECT_TRUE(messages.messages.isEmpty());

    QFile::remove(converter);
    Control<QAction>(panel.get(), "mnuMedia1")->trigger();
    EXPECT_EQ(messages.messages, QStringList(QStringLiteral(" Error : shiftwell not found !")));
    EXPECT_EQ(launcher.started.size(), 1);
    emit Control<QMenu>(panel.get(), "mnuToolsPopup")->aboutToShow();
    EXPECT_FALSE(Control<QAction>(panel.get(), "mnuConverter")->isEnabled());
    qputenv("PATH", oldPath);
}

TEST_F(PanelMenuTest, HelpShowsTheGuideInItsOwnWindowOrSaysItIsMissing)
{
    // Nothing beside the executable, nothing in the desktop's data folders.
    TempFolder xdg;
    qputenv("XDG_DATA_HOME", xdg.file(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_DIRS", xdg.file(QStringLiteral("dirs")).toUtf8());
    ASSERT_FALSE(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/Help/index.htm")));
    open();
    Control<QAction>(panel.get(), "mnuHelp2")->trigger();
    EXPECT_EQ(messages.messages, QStringList(QStringLiteral("Error : index.htm not found !")));
    EXPECT_EQ(panel->HelpWindow(), nullptr);

    // The guide and a second page it links to; no browser is asked for.
    messages.messages.clear();
    ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Help"))));
    ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Help/index.htm")),
                         "<html><body><h1>Guide</h1><a href=\"more.htm\">More</a></body></html>"));
    ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Help/more.htm")), "<html><body><p>Second page</p></body></html>"));
    Control<QToolButton>(panel.get(), "cmdHelp")->click();
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_TRUE(urls.opened.isEmpty());
    frmHelp* help = panel->HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Tonquill Help"));
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Guide")));

    // Links: one into the guide is followed in the window, "Back" returns;
    // a web address goes to the desktop's opener.
    help->FollowLink(QUrl(QStringLiteral("more.htm")));
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Second page")));
    EXPECT_TRUE(help->cmdBack->isEnabled());
    help->cmdBack->click();
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Guide")));
    help->FollowLink(QUrl(QStringLiteral("https://example.org/page")));
    EXPECT_EQ(urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/page"))});
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Guide")));

    // Asked again: the same window, at the guide's start.
    help->FollowLink(QUrl(QStringLiteral("more.htm")));
    Control<QAction>(panel.get(), "mnuHelp2")->trigger();
    EXPECT_EQ(panel->HelpWindow(), help);
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Guide")));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
}

// A web address no program opens (none could be started, or the one that
// was reports failure) is shown to copy; one that opens says nothing.
TEST_F(PanelMenuTest, TheWebItemOpensTheSiteOrShowsItsAddress)
{
    open();
    struct Case {
        bool started, failsLater, message;
    };
    for (const Case& c : {Case{true, false, false}, Case{false, false, true}, Case{true, true, true}}) {
        SCOPED_TRACE(::testing::Message() << c.started << c.failsLater);
        urls.opened.clear();
        messages.messages.clear();
        urls.result = c.started;
        urls.failLater = c.failsLater;
        Control<QAction>(panel.get(), "mnuTonquillWeb")->trigger();
        ASSERT_EQ(urls.opened.size(), 1);
        const QUrl site = urls.opened.first();
        EXPECT_TRUE(site.scheme().startsWith(QLatin1String("http")));
        EXPECT_FALSE(site.host().isEmpty());
        if (c.message) {
            ASSERT_EQ(messages.messages.size(), 1);
            EXPECT_TRUE(messages.messages.first().startsWith(QStringLiteral("No program could open the web address.")));
            EXPECT_TRUE(messages.messages.first().endsWith(site.toString()));
        } else {
            EXPECT_TRUE(messages.messages.isEmpty());
        }
    }
}

TEST_F(PanelMenuTest, PopUpPlayAndRecordFollowTheButtons)
{
    open();
    for (const auto& [play, record] :
         {std::pair{true, true}, std::pair{true, false}, std::pair{false, true}, std::pair{false, false}}) {
        SCOPED_TRACE(::testing::Message() << play << record);
        Control<QPushButton>(panel.get(), "cmdPreview")->setEnabled(play);
        Control<QPushButton>(panel.get(), "cmdRecord")->setEnabled(record);
        emit Control<QTreeWidget>(panel.get(), "lstViewSongList")->customContextMenuRequested(QPoint(2, 2));
        EXPECT_EQ(Control<QAction>(panel.get(), "mnuPlay")->isEnabled(), play);
        EXPECT_EQ(Control<QAction>(panel.get(), "mnuRecord")->isEnabled(), record);
        EXPECT_TRUE(Control<QMenu>(panel.get(), "mnuPlaylist")->isVisible());
        Control<QMenu>(panel.get(), "mnuPlaylist")->hide();
    }
}
