// The control panel's window: the button column, the four m_ui->pages and the menus.
#include "ui/panel/frmrecord.h"

#include "config/usersettings.h"
#include "recorder/frmmp3.h"
#include "sources/urigrabber.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/panel/frmaddstation.h"
#include "ui/panel/panelpages.h"
#include "ui/shell/desktopshell.h"
#include "ui_frmrecord.h"
#include "ui_optionspage.h"
#include "ui_otherpage.h"
#include "ui_stationspage.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

const QString frmRecord::kCaption = QStringLiteral("Tonquill v2.01");
const QString frmRecord::kWebSite = QStringLiteral("https://tonquill.org/");
int frmRecord::PanelOpenMode = 0;

frmRecord::frmRecord(const PanelDeps& deps, QWidget* parent)
    : QMainWindow(parent), m_deps(deps), m_ui(std::make_unique<Ui::frmRecord>())
{
    m_ui->setupUi(this);
    setWindowTitle(kCaption);
    URIGrabber = new ctlURIGrabber(m_deps.clock, m_deps.messages, this);
    connect(URIGrabber, &ctlURIGrabber::Done, this, &frmRecord::ctlURIGrabber_Done);
    connect(URIGrabber, &ctlURIGrabber::Error, this, &frmRecord::ctlURIGrabber_Error);

    buildPages();
    buildMenus();

    tmrRecMon = new QTimer(this);
    tmrRecMon->setInterval(100);
    connect(tmrRecMon, &QTimer::timeout, this, &frmRecord::tmrRecMon_Timer);

    if (m_deps.recorder) {
        m_recording = m_deps.recorder->Status().blnRecording;
        connect(m_deps.recorder, &frmMP3::statusChanged, this, &frmRecord::RecorderStatusChanged);
    }
    Form_Load();
    tmrRecMon->start();
}

frmRecord::~frmRecord() = default;

void frmRecord::buildPages()
{
    const std::pair<QToolButton*, QStyle::StandardPixmap> pictures[] = {
        {m_ui->cmdRadio, QStyle::SP_MediaPlay},        {m_ui->cmdAdvanced, QStyle::SP_FileDialogDetailedView},
        {m_ui->cmdOther, QStyle::SP_DirIcon},          {m_ui->cmdAbout, QStyle::SP_MessageBoxInformation},
        {m_ui->cmdTools, QStyle::SP_DriveCDIcon},      {m_ui->cmdSearch, QStyle::SP_FileDialogContentsView},
        {m_ui->cmdHelp, QStyle::SP_MessageBoxQuestion}};
    for (const auto& [button, pixmap] : pictures)
        button->setIcon(style()->standardIcon(pixmap));
    m_ui->txtPlaylist->setText(frmAddStation::kDefaultUrl);
    for (QWidget* unseen : std::initializer_list<QWidget*>{m_ui->txtPlaylist, m_ui->cmdOK, m_ui->PlayList})
        unseen->hide();

    auto* radio = new StationsPage;
    auto* advanced = new OptionsPage;
    auto* other = new OtherPage;
    m_radio = radio->m_ui.get();
    m_advanced = advanced->m_ui.get();
    m_other = other->m_ui.get();
    for (QWidget* page : std::initializer_list<QWidget*>{radio, advanced, other, new AboutPage})
        m_ui->pages->addWidget(page);
    connectRadioPage();
    connectAdvancedPage();
    connectOtherPage();
    buildRecordingsPage();

    connect(m_ui->cmdRadio, &QToolButton::clicked, this, [this] { ShowPage(0); });
    connect(m_ui->cmdAdvanced, &QToolButton::clicked, this, [this] { ShowPage(1); });
    connect(m_ui->cmdOther, &QToolButton::clicked, this, [this] { ShowPage(2); });
    connect(m_ui->cmdAbout, &QToolButton::clicked, this, [this] { ShowPage(3); });
    connect(m_ui->cmdHelp, &QToolButton::clicked, this, &frmRecord::cmdHelp_Click);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmRecord::cmdOK_Click);
}

void frmRecord::connectRadioPage()
{
    const auto* r = m_radio;
    connect(r->cmdPreview, &QPushButton::clicked, this, &frmRecord::cmdPreview_Click);
    connect(r->cmdEdit, &QPushButton::clicked, this, &frmRecord::cmdEdit_Click);
    connect(r->cmdRemoveList, &QPushButton::clicked, this, &frmRecord::cmdRemoveList_Click);
    connect(r->cmdAddtoList, &QPushButton::clicked, this, &frmRecord::cmdAddtoList_Click);
    connect(r->cmdSave, &QPushButton::clicked, this, &frmRecord::cmdSave_Click);
    connect(r->cmdLoadConfiguration, &QPushButton::clicked, this, &frmRecord::cmdLoadConfiguration_Click);
    connect(r->cmdRecord, &QPushButton::clicked, this, &frmRecord::cmdRecord_Click);
    connect(r->lstViewSongList, &QTreeWidget::itemDoubleClicked, this, [this] { lstViewSongList_DblClick(); });
    connect(r->lstViewSongList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // The pop-up offers play and record exactly when their buttons do.
        mnuPlay->setEnabled(m_radio->cmdPreview->isEnabled());
        mnuRecord->setEnabled(m_radio->cmdRecord->isEnabled());
        if (mnuRecordAlongside)
            mnuRecordAlongside->setEnabled(CheckReady(true));
        if (mnuWatch)
            mnuWatch->setEnabled(mnuRecordAlongside->isEnabled());
        mnuPlaylist->popup(m_radio->lstViewSongList->viewport()->mapToGlobal(at));
    });
}

void frmRecord::connectAdvancedPage()
{
    const auto* a = m_advanced;
    // Per-user settings, read when a recording starts.
    const std::pair<QCheckBox*, std::pair<bool (*)(), void (*)(bool)>> userBoxes[] = {
        {a->chkCleanCuts, {CutSongsInSilence, SetCutSongsInSilence}},
        {a->chkID3v2, {WriteID3v2Tags, SetWriteID3v2Tags}},
        {a->chkNotifySongs, {NotifySongs, SetNotifySongs}},
        {a->chkNotifyProblems, {NotifyProblems, SetNotifyProblems}},
        {a->chkCoverArt, {CoverArt, SetCoverArt}},
        {a->chkCoverLookup, {CoverLookupOn, SetCoverLookupOn}}};
    for (const auto& [box, setting] : userBoxes) {
        box->setChecked(setting.first());
        connect(box, &QCheckBox::clicked, this, setting.second);
    }
    connect(a->chkUseEnternal, &QCheckBox::clicked, this, &frmRecord::chkUseEnternal_Click);
    connect(a->cmdBrowsePlayer, &QPushButton::clicked, this, &frmRecord::cmdBrowsePlayer_Click);
    for (QCheckBox* box : {a->chkTimed, a->chkShutdown, a->chkListenOn, a->chkStartPaused, a->chkCleanup})
        connect(box, &QCheckBox::clicked, this, [this] { PanelEdited = true; });
    connect(a->txtBaseLineName, &QLineEdit::textChanged, this, [this] { PanelEdited = true; });
    for (ASpinnerBox* spinner : {a->spnTimeInMinutes, a->spnRecordingDays})
        spinner->setMessageService(m_deps.messages);
    a->spnTimeInMinutes->txtSpin()->installEventFilter(this);
    m_keptMinutes = new KeptSpinnerValue(a->spnTimeInMinutes);
    m_keptDays = new KeptSpinnerValue(a->spnRecordingDays);
}

void frmRecord::connectOtherPage()
{
    const auto* o = m_other;
    o->txtMP3Path->installEventFilter(this); // drops are the panel's own handling
    connect(o->cmdPathToSave, &QToolButton::clicked, this, &frmRecord::cmdPathToSave_Click);
    connect(o->txtMP3Path, &QLineEdit::returnPressed, this, &frmRecord::txtMP3Path_LostFocus);
    connect(o->txtStreamTitle, &QLineEdit::textChanged, this, [this] { PanelEdited = true; });
    connect(o->optNormal, &QRadioButton::clicked, this, &frmRecord::optNormal_Click);
    connect(o->optDated, &QRadioButton::clicked, this, &frmRecord::optDated_Click);
    connect(o->optFile, &QRadioButton::clicked, this, &frmRecord::optFile_Click);
    connect(o->mnuIEWebHeader, &QCheckBox::clicked, this, &frmRecord::mnuIEWebHeader_Click);
    connect(o->cmdAddTask, &QToolButton::clicked, this, &frmRecord::cmdAddTask_Click);
    proposeTask();
}

void frmRecord::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    const auto search = [this] { m_deps.shell->ShowDirectorySearch(); };
    const auto presets = [this] { m_deps.shell->ShowPresetSearch(); };
    const auto radioBrowser = [this] { m_deps.shell->ShowRadioBrowserSearch(); };
    const auto whatPlays = [this] { m_deps.shell->ShowWhatPlays(); };
    const auto converter = [this] { StartTool(QStringLiteral("shiftwell")); };
    const auto creator = [this] { StartTool(QStringLiteral("discwright")); };
    const auto burner = [this] { StartTool(QStringLiteral("pressling")); };
    const auto other = [this] { ShowPage(2); };
    const auto stop = [this] { m_deps.recorder->StopRecording(); };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    mnuExit = item(file, "mnuExit", tr("Exit"), [this] { close(); });

    QMenu* operation = menuBar()->addMenu(tr("&Operation"));
    mnuPlay1 = item(operation, "mnuPlay1", tr("Play"), &frmRecord::cmdPreview_Click);
    mnuRecord1 = item(operation, "mnuRecord1", tr("Record"), &frmRecord::cmdRecord_Click);
    if (m_deps.recordings) {
        mnuRecordAlongside1 =
            item(operation, "mnuRecordAlongside1", tr("Record Alongside"), &frmRecord::cmdRecordAlongside_Click);
        mnuWatch1 = item(operation, "mnuWatch1", tr("Watch"), &frmRecord::cmdWatch_Click);
        connect(operation, &QMenu::aboutToShow, this, [this] {
            mnuRecordAlongside1->setEnabled(CheckReady(true));
            mnuWatch1->setEnabled(mnuRecordAlongside1->isEnabled());
        });
    }
    mnuStop1 = item(operation, "mnuStop1", tr("Stop"), stop);
    operation->addSeparator();
    mnuAdd1 = item(operation, "mnuAdd1", tr("Add"), &frmRecord::cmdAddtoList_Click);
    mnuEdit1 = item(operation, "mnuEdit1", tr("Edit"), &frmRecord::cmdEdit_Click);
    mnuRemove1 = item(operation, "mnuRemove1", tr("Remove"), &frmRecord::cmdRemoveList_Click);
    mnuRemoveAll1 = item(operation, "mnuRemoveAll1", tr("Remove All"), &frmRecord::mnuRemoveAll_Click);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    mnuMedia1 = item(tools, "mnuMedia1", tr("Media Converter"), converter);
    mnuCreator = item(tools, "mnuCreator", tr("Audio CD Creator"), creator);
    mnuPressling1 = item(tools, "mnuPressling1", tr("CD/DVD Burner"), burner);
    mnuScheduler1 = item(tools, "mnuScheduler1", tr("Scheduler"), other);
    tools->setToolTipsVisible(true);
    connect(tools, &QMenu::aboutToShow, this, &frmRecord::UpdateToolItems);

    QMenu* searchMenu = menuBar()->addMenu(tr("&Search"));
    mnuSearchShoutcast1 = item(searchMenu, "mnuSearchShoutcast1", tr("Shoutcast Search"), search);
    item(searchMenu, "mnuSearchRadioBrowser1", tr("Radio Browser Search"), radioBrowser);
    mnuSearchPresets1 = item(searchMenu, "mnuSearchPresets1", tr("Search Presets"), presets);
    searchMenu->addSeparator();
    item(searchMenu, "mnuWhatPlays1", tr("What Plays Where"), whatPlays);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    item(view, "mnuLibrary1", tr("Recordings"), [this] { m_deps.shell->ShowLibrary(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    mnuHelp2 = item(help, "mnuHelp2", tr("Help"), &frmRecord::cmdHelp_Click);
    mnuTonquillWeb = item(help, "mnuTonquillWeb", tr("Tonquill on the Web"), &frmRecord::mnuTonquillWeb_Click);
    help->addSeparator();
    mnuAbout1 = item(help, "mnuAbout1", tr("About Tonquill"), [this] { ShowPage(3); });

    mnuPlaylist = new QMenu(QStringLiteral("PlayListPopup"), this);
    mnuPlaylist->setObjectName(QStringLiteral("mnuPlaylist"));
    mnuAdd = item(mnuPlaylist, "mnuAdd", tr("Add"), &frmRecord::cmdAddtoList_Click);
    mnuRemove = item(mnuPlaylist, "mnuRemove", tr("Remove"), &frmRecord::cmdRemoveList_Click);
    mnuRemoveAll = item(mnuPlaylist, "mnuRemoveAll", tr("Remove All"), &frmRecord::mnuRemoveAll_Click);
    mnuEdit = item(mnuPlaylist, "mnuEdit", tr("Edit"), &frmRecord::cmdEdit_Click);
    item(mnuPlaylist, "mnuSetPicture", tr("Set Picture…"), &frmRecord::mnuSetPicture_Click);
    mnuPlaylist->addSeparator();
    mnuPlay = item(mnuPlaylist, "mnuPlay", tr("Play"), &frmRecord::cmdPreview_Click);
    mnuRecord = item(mnuPlaylist, "mnuRecord", tr("Record"), &frmRecord::cmdRecord_Click);
    if (m_deps.recordings) {
        mnuRecordAlongside =
            item(mnuPlaylist, "mnuRecordAlongside", tr("Record Alongside"), &frmRecord::cmdRecordAlongside_Click);
        mnuWatch = item(mnuPlaylist, "mnuWatch", tr("Watch"), &frmRecord::cmdWatch_Click);
    }
    mnuPlaylist->addSeparator();
    mnuSchedule = item(mnuPlaylist, "mnuSchedule", tr("Schedule..."), other);

    mnuToolsPopup = new QMenu(QStringLiteral("ToolsPopup"), this);
    mnuToolsPopup->setObjectName(QStringLiteral("mnuToolsPopup"));
    mnuConverter = item(mnuToolsPopup, "mnuConverter", tr("Media Converter"), converter);
    mnuCreator1 = item(mnuToolsPopup, "mnuCreator1", tr("Audio CD Creator"), creator);
    mnuPressling = item(mnuToolsPopup, "mnuPressling", tr("CD/DVD Burner"), burner);
    mnuToolsPopup->setToolTipsVisible(true);
    connect(mnuToolsPopup, &QMenu::aboutToShow, this, &frmRecord::UpdateToolItems);
    for (QAction* a : {mnuMedia1, mnuConverter})
        a->setProperty("program", QStringLiteral("shiftwell"));
    for (QAction* a : {mnuCreator, mnuCreator1})
        a->setProperty("program", QStringLiteral("discwright"));
    for (QAction* a : {mnuPressling1, mnuPressling})
        a->setProperty("program", QStringLiteral("pressling"));

    mnuSearch = new QMenu(tr("Search"), this);
    mnuSearch->setObjectName(QStringLiteral("mnuSearch"));
    mnuShoutCast = item(mnuSearch, "mnuShoutCast", tr("ShoutCast"), search);
    item(mnuSearch, "mnuRadioBrowser", tr("Radio Browser"), radioBrowser);
    mnuLocalDirectory = item(mnuSearch, "mnuLocalDirectory", tr("Presets"), presets);
    mnuSearch->addSeparator();
    item(mnuSearch, "mnuWhatPlays", tr("What Plays Where"), whatPlays);

    const auto popupBeside = [](QMenu* menu, QToolButton* button) {
        menu->popup(button->mapToGlobal(QPoint(button->width(), 0)));
    };
    connect(m_ui->cmdTools, &QToolButton::clicked, this, [=, this] { popupBeside(mnuToolsPopup, m_ui->cmdTools); });
    connect(m_ui->cmdSearch, &QToolButton::clicked, this, [=, this] { popupBeside(mnuSearch, m_ui->cmdSearch); });
}

void frmRecord::ShowPage(int page)
{
    m_ui->pages->setCurrentIndex(page);
}
