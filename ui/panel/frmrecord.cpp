// The control panel's window: the button column, the four pages and the menus.
#include "ui/panel/frmrecord.h"

#include "config/usersettings.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/panel/frmaddstation.h"
#include "ui/panel/songrulesgroup.h"
#include "ui/shell/desktopshell.h"
#include "recorder/frmmp3.h"
#include "sources/urigrabber.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString frmRecord::kCaption = QStringLiteral("Tonquill v2.01");
const QString frmRecord::kWebSite = QStringLiteral("https://tonquill.org/");
int frmRecord::PanelOpenMode = 0;

namespace {

QPushButton* pushButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QCheckBox* checkBox(const char* name, const QString& caption, QWidget* parent)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QLabel* label(const char* name, const QString& caption, QWidget* parent)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

}  // namespace

frmRecord::frmRecord(const PanelDeps& deps, QWidget* parent) : QMainWindow(parent), m_deps(deps)
{
    setWindowTitle(kCaption);
    setObjectName(QStringLiteral("frmRecord"));
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
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto* row = new QHBoxLayout(central);

    // The column of picture buttons.
    auto* column = new QVBoxLayout;
    auto pictureButton = [&](const char* name, const QString& caption, QStyle::StandardPixmap pixmap) {
        auto* b = new QToolButton(central);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setToolTip(caption);
        b->setAccessibleName(caption);
        b->setIcon(style()->standardIcon(pixmap));
        b->setIconSize(QSize(24, 24));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        b->setMinimumWidth(118);
        column->addWidget(b);
        return b;
    };
    cmdRadio = pictureButton("cmdRadio", tr("Main Control Panel"), QStyle::SP_MediaPlay);
    cmdAdvanced = pictureButton("cmdAdvanced", tr("Advanced Options"), QStyle::SP_FileDialogDetailedView);
    cmdOther = pictureButton("cmdOther", tr("Other Options"), QStyle::SP_DirIcon);
    cmdAbout = pictureButton("cmdAbout", tr("About Tonquill"), QStyle::SP_MessageBoxInformation);
    cmdTools = pictureButton("cmdTools", tr("Tools"), QStyle::SP_DriveCDIcon);
    cmdSearch = pictureButton("cmdSearch", tr("Search"), QStyle::SP_FileDialogContentsView);
    cmdHelp = pictureButton("cmdHelp", tr("Help"), QStyle::SP_MessageBoxQuestion);
    column->addStretch();
    row->addLayout(column);

    pages = new QStackedWidget(central);
    pages->setObjectName(QStringLiteral("pages"));
    row->addWidget(pages, 1);
    buildRadioPage();
    buildAdvancedPage();
    buildOtherPage();
    buildAboutPage();

    // Never seen: the address being accepted, its accept button and the
    // addresses of the station list.
    txtPlaylist = new QLineEdit(frmAddStation::kDefaultUrl, central);
    txtPlaylist->setObjectName(QStringLiteral("txtPlaylist"));
    txtPlaylist->setAccessibleName(tr("Station URL"));
    txtPlaylist->hide();
    cmdOK = pushButton("cmdOK", tr("OK"), central);
    cmdOK->hide();
    PlayList = new QListWidget(central);
    PlayList->setObjectName(QStringLiteral("PlayList"));
    PlayList->hide();

    setCentralWidget(central);
    setAcceptDrops(true);

    connect(cmdRadio, &QToolButton::clicked, this, [this] { ShowPage(0); });
    connect(cmdAdvanced, &QToolButton::clicked, this, [this] { ShowPage(1); });
    connect(cmdOther, &QToolButton::clicked, this, [this] { ShowPage(2); });
    connect(cmdAbout, &QToolButton::clicked, this, [this] { ShowPage(3); });
    connect(cmdHelp, &QToolButton::clicked, this, &frmRecord::cmdHelp_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmRecord::cmdOK_Click);
}

void frmRecord::buildRadioPage()
{
    RadioFrame = new QGroupBox(tr("Control Panel"));
    RadioFrame->setObjectName(QStringLiteral("RadioFrame"));
    auto* grid = new QGridLayout(RadioFrame);
    lstViewSongList = new QTreeWidget(RadioFrame);
    lstViewSongList->setObjectName(QStringLiteral("lstViewSongList"));
    lstViewSongList->setAccessibleName(tr("Stations"));
    lstViewSongList->setHeaderLabels({tr("Stations")});
    lstViewSongList->setRootIsDecorated(false);
    lstViewSongList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstViewSongList->setUniformRowHeights(true);
    lstViewSongList->setContextMenuPolicy(Qt::CustomContextMenu);
    lstViewSongList->setAcceptDrops(true);
    lstViewSongList->viewport()->setAcceptDrops(true);
    lstViewSongList->setDragDropMode(QAbstractItemView::DropOnly);
    grid->addWidget(lstViewSongList, 0, 0, 1, 4);

    cmdPreview = pushButton("cmdPreview", tr("Preview/Listen"), RadioFrame);
    cmdEdit = pushButton("cmdEdit", tr("Edit Station"), RadioFrame);
    cmdRemoveList = pushButton("cmdRemoveList", tr("Remove Station"), RadioFrame);
    cmdAddtoList = pushButton("cmdAddtoList", tr("Add Station"), RadioFrame);
    cmdSave = pushButton("cmdSave", tr("Save Preset File"), RadioFrame);
    cmdLoadConfiguration = pushButton("cmdLoadConfiguration", tr("Open Preset File"), RadioFrame);
    cmdRecord = pushButton("cmdRecord", tr("Record"), RadioFrame);
    grid->addWidget(cmdAddtoList, 1, 0);
    grid->addWidget(cmdEdit, 1, 1);
    grid->addWidget(cmdRemoveList, 1, 2);
    grid->addWidget(cmdPreview, 1, 3);
    grid->addWidget(cmdLoadConfiguration, 2, 0);
    grid->addWidget(cmdSave, 2, 1);
    grid->addWidget(cmdRecord, 2, 3);
    lblConnecting = label("lblConnecting", tr("Connecting... Please Wait..."), RadioFrame);
    lblConnecting->setAcceptDrops(true);
    grid->addWidget(lblConnecting, 3, 0, 1, 4);
    pages->addWidget(RadioFrame);

    connect(cmdPreview, &QPushButton::clicked, this, &frmRecord::cmdPreview_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmRecord::cmdEdit_Click);
    connect(cmdRemoveList, &QPushButton::clicked, this, &frmRecord::cmdRemoveList_Click);
    connect(cmdAddtoList, &QPushButton::clicked, this, &frmRecord::cmdAddtoList_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmRecord::cmdSave_Click);
    connect(cmdLoadConfiguration, &QPushButton::clicked, this, &frmRecord::cmdLoadConfiguration_Click);
    connect(cmdRecord, &QPushButton::clicked, this, &frmRecord::cmdRecord_Click);
    connect(lstViewSongList, &QTreeWidget::itemDoubleClicked, this, [this] { lstViewSongList_DblClick(); });
    connect(lstViewSongList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // The pop-up offers play and record exactly when their buttons do.
        mnuPlay->setEnabled(cmdPreview->isEnabled());
        mnuRecord->setEnabled(cmdRecord->isEnabled());
        mnuPlaylist->popup(lstViewSongList->viewport()->mapToGlobal(at));
    });
}

void frmRecord::buildAdvancedPage()
{
    AdvancedFrame = new QGroupBox(tr("Advanced Options"));
    AdvancedFrame->setObjectName(QStringLiteral("AdvancedFrame"));
    auto* page = new QVBoxLayout(AdvancedFrame);

    fraRecordings = new QGroupBox(tr("Recordings"), AdvancedFrame);
    fraRecordings->setObjectName(QStringLiteral("fraRecordings"));
    auto* rec = new QGridLayout(fraRecordings);
    chkUseEnternal = checkBox("chkUseEnternal", tr("Use External Player"), fraRecordings);
    txtExternalPlayer = new QLineEdit(fraRecordings);
    txtExternalPlayer->setObjectName(QStringLiteral("txtExternalPlayer"));
    txtExternalPlayer->setAccessibleName(tr("External player"));
    cmdBrowsePlayer = pushButton("cmdBrowsePlayer", QStringLiteral("...."), fraRecordings);
    cmdBrowsePlayer->setAccessibleName(tr("Browse for the external player"));
    cmdBrowsePlayer->setToolTip(tr("Browse for the external player"));
    chkTimed = checkBox("chkTimed", tr("Timed Recording"), fraRecordings);
    lblTime = label("lblTime", tr("Time of Recording (in minutes):"), fraRecordings);
    spnTimeInMinutes = new ASpinnerBox(fraRecordings);
    spnTimeInMinutes->setObjectName(QStringLiteral("spnTimeInMinutes"));
    spnTimeInMinutes->setAccessibleName(tr("Time of Recording (in minutes):"));
    spnTimeInMinutes->txtSpin()->setAccessibleName(tr("Time of Recording (in minutes):"));
    spnTimeInMinutes->setMax(99999);
    spnTimeInMinutes->setMinimumWidth(80);
    spnTimeInMinutes->setMessageService(m_deps.messages);
    chkShutdown = checkBox("chkShutdown", tr("Exit when timed recording is finished!"), fraRecordings);
    chkListenOn = checkBox("chkListenOn", tr("Listen to Stream"), fraRecordings);
    chkStartPaused = checkBox("chkStartPaused", tr("Start Paused"), fraRecordings);
    // Two per-user settings, read when a recording starts.
    chkCleanCuts = checkBox("chkCleanCuts", tr("Cut songs in the silence between them"), fraRecordings);
    chkCleanCuts->setChecked(CutSongsInSilence());
    chkID3v2 = checkBox("chkID3v2", tr("Write ID3v2 tags"), fraRecordings);
    chkID3v2->setChecked(WriteID3v2Tags());
    // The desktop's notifications, per user too.
    chkNotifySongs = checkBox("chkNotifySongs", tr("Notify of saved songs"), fraRecordings);
    chkNotifySongs->setAccessibleName(chkNotifySongs->text());
    chkNotifySongs->setChecked(NotifySongs());
    chkNotifyProblems = checkBox("chkNotifyProblems", tr("Notify of connection problems"), fraRecordings);
    chkNotifyProblems->setAccessibleName(chkNotifyProblems->text());
    chkNotifyProblems->setChecked(NotifyProblems());
    rec->addWidget(chkUseEnternal, 0, 0);
    rec->addWidget(txtExternalPlayer, 0, 1);
    rec->addWidget(cmdBrowsePlayer, 0, 2);
    rec->addWidget(chkTimed, 1, 0);
    rec->addWidget(lblTime, 2, 0);
    rec->addWidget(spnTimeInMinutes, 2, 1, Qt::AlignLeft);
    rec->addWidget(chkShutdown, 3, 0, 1, 3);
    rec->addWidget(chkListenOn, 4, 0);
    rec->addWidget(chkStartPaused, 4, 1);
    rec->addWidget(chkCleanCuts, 5, 0, 1, 3);
    rec->addWidget(chkID3v2, 6, 0, 1, 3);
    rec->addWidget(chkNotifySongs, 7, 0);
    rec->addWidget(chkNotifyProblems, 7, 1, 1, 2);
    page->addWidget(fraRecordings);

    fraDateMode = new QGroupBox(tr("Date Mode"), AdvancedFrame);
    fraDateMode->setObjectName(QStringLiteral("fraDateMode"));
    auto* date = new QGridLayout(fraDateMode);
    chkCleanup = checkBox("chkCleanup", tr("Delete archives after a specified time"), fraDateMode);
    lblKepRecordings = label("lblKepRecordings", tr("Days to keep recordings:"), fraDateMode);
    spnRecordingDays = new ASpinnerBox(fraDateMode);
    spnRecordingDays->setObjectName(QStringLiteral("spnRecordingDays"));
    spnRecordingDays->setAccessibleName(tr("Days to keep recordings:"));
    spnRecordingDays->txtSpin()->setAccessibleName(tr("Days to keep recordings:"));
    spnRecordingDays->setMax(99999);
    spnRecordingDays->setMinimumWidth(80);
    spnRecordingDays->setMessageService(m_deps.messages);
    lblBaselineName = label("lblBaselineName", tr("Archive File Header:"), fraDateMode);
    txtBaseLineName = new QLineEdit(fraDateMode);
    txtBaseLineName->setObjectName(QStringLiteral("txtBaseLineName"));
    txtBaseLineName->setAccessibleName(tr("Archive File Header:"));
    lblBaselineName->setBuddy(txtBaseLineName);
    date->addWidget(chkCleanup, 0, 0, 1, 2);
    date->addWidget(lblKepRecordings, 1, 0);
    date->addWidget(spnRecordingDays, 1, 1, Qt::AlignLeft);
    date->addWidget(lblBaselineName, 2, 0);
    date->addWidget(txtBaseLineName, 2, 1);
    page->addWidget(fraDateMode);
    fraSongRules = new SongRulesGroup(AdvancedFrame);
    page->addWidget(fraSongRules);
    page->addStretch();
    pages->addWidget(AdvancedFrame);

    connect(chkUseEnternal, &QCheckBox::clicked, this, &frmRecord::chkUseEnternal_Click);
    connect(cmdBrowsePlayer, &QPushButton::clicked, this, &frmRecord::cmdBrowsePlayer_Click);
    connect(chkCleanCuts, &QCheckBox::clicked, this, [](bool on) { SetCutSongsInSilence(on); });
    connect(chkID3v2, &QCheckBox::clicked, this, [](bool on) { SetWriteID3v2Tags(on); });
    connect(chkNotifySongs, &QCheckBox::clicked, this, [](bool on) { SetNotifySongs(on); });
    connect(chkNotifyProblems, &QCheckBox::clicked, this, [](bool on) { SetNotifyProblems(on); });
    for (QCheckBox* box : {chkTimed, chkShutdown, chkListenOn, chkStartPaused, chkCleanup})
        connect(box, &QCheckBox::clicked, this, [this] { PanelEdited = true; });
    connect(txtBaseLineName, &QLineEdit::textChanged, this, [this] { PanelEdited = true; });
    spnTimeInMinutes->txtSpin()->installEventFilter(this);
    m_keptMinutes = new KeptSpinnerValue(spnTimeInMinutes);
    m_keptDays = new KeptSpinnerValue(spnRecordingDays);
}

void frmRecord::buildOtherPage()
{
    OtherFrame = new QGroupBox(tr("Other"));
    OtherFrame->setObjectName(QStringLiteral("OtherFrame"));
    auto* page = new QVBoxLayout(OtherFrame);
    fraMP3 = new QGroupBox(QStringLiteral("MP3"), OtherFrame);
    fraMP3->setObjectName(QStringLiteral("fraMP3"));
    auto* grid = new QGridLayout(fraMP3);
    lblPathToSave = label("lblPathToSave", tr("Save MP3s to:"), fraMP3);
    txtMP3Path = new QLineEdit(fraMP3);
    txtMP3Path->setObjectName(QStringLiteral("txtMP3Path"));
    txtMP3Path->setAccessibleName(tr("Save MP3s to:"));
    txtMP3Path->setAcceptDrops(false);  // drops are the panel's own handling
    txtMP3Path->installEventFilter(this);
    cmdPathToSave = new QToolButton(fraMP3);
    cmdPathToSave->setObjectName(QStringLiteral("cmdPathToSave"));
    cmdPathToSave->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdPathToSave->setToolTip(tr("Browse"));
    cmdPathToSave->setAccessibleName(tr("Browse"));
    lblDisplayTitle = label("lblDisplayTitle", tr("Title:"), fraMP3);
    txtStreamTitle = new QLineEdit(fraMP3);
    txtStreamTitle->setObjectName(QStringLiteral("txtStreamTitle"));
    txtStreamTitle->setAccessibleName(tr("Title:"));
    optNormal = new QRadioButton(tr("Capture as stream titles"), fraMP3);
    optNormal->setObjectName(QStringLiteral("optNormal"));
    optDated = new QRadioButton(tr("Capture as a dated archive"), fraMP3);
    optDated->setObjectName(QStringLiteral("optDated"));
    optFile = new QRadioButton(tr("Capture as a single file"), fraMP3);
    optFile->setObjectName(QStringLiteral("optFile"));
    mnuIEWebHeader = checkBox("mnuIEWebHeader", tr("Fake Internet Explorer as web agent"), fraMP3);
    grid->addWidget(lblPathToSave, 0, 0);
    grid->addWidget(txtMP3Path, 0, 1);
    grid->addWidget(cmdPathToSave, 0, 2);
    lblSavePathProblem = label("lblSavePathProblem", QString(), fraMP3);
    lblSavePathProblem->setWordWrap(true);
    // A warning red that stands out from the window's own ground, light or dark.
    QPalette warning = lblSavePathProblem->palette();
    const bool dark = warning.color(QPalette::Window).lightness() < 128;
    warning.setColor(QPalette::WindowText, dark ? QColor(0xff, 0x8a, 0x80) : QColor(0xb0, 0x00, 0x00));
    lblSavePathProblem->setPalette(warning);
    lblSavePathProblem->hide();
    grid->addWidget(lblSavePathProblem, 1, 1, 1, 2);
    grid->addWidget(lblDisplayTitle, 2, 0);
    grid->addWidget(txtStreamTitle, 2, 1, 1, 2);
    grid->addWidget(optNormal, 3, 0, 1, 3);
    grid->addWidget(optDated, 4, 0, 1, 3);
    grid->addWidget(optFile, 5, 0, 1, 3);
    grid->addWidget(mnuIEWebHeader, 6, 0, 1, 3);
    page->addWidget(fraMP3);
    buildSchedulerGroup();
    page->addWidget(fraScheduler);
    page->addStretch();
    pages->addWidget(OtherFrame);

    connect(cmdPathToSave, &QToolButton::clicked, this, &frmRecord::cmdPathToSave_Click);
    connect(txtMP3Path, &QLineEdit::returnPressed, this, &frmRecord::txtMP3Path_LostFocus);
    connect(txtStreamTitle, &QLineEdit::textChanged, this, [this] { PanelEdited = true; });
    connect(optNormal, &QRadioButton::clicked, this, &frmRecord::optNormal_Click);
    connect(optDated, &QRadioButton::clicked, this, &frmRecord::optDated_Click);
    connect(optFile, &QRadioButton::clicked, this, &frmRecord::optFile_Click);
    connect(mnuIEWebHeader, &QCheckBox::clicked, this, &frmRecord::mnuIEWebHeader_Click);
}

void frmRecord::buildAboutPage()
{
    AboutFrame = new QGroupBox(tr("About Tonquill"));
    AboutFrame->setObjectName(QStringLiteral("AboutFrame"));
    auto* page = new QVBoxLayout(AboutFrame);
    RichTextBox1 = new QTextBrowser(AboutFrame);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setAccessibleName(tr("About Tonquill"));
    RichTextBox1->setOpenExternalLinks(false);
    RichTextBox1->setHtml(
        tr("<h3>Tonquill 2.01</h3>"
           "<p>Tonquill records internet radio: it connects to SHOUTcast and Icecast MP3 streams and writes "
           "one MP3 file per song, cut where the station's title changes, or a dated archive, or one single "
           "file. Finished songs get an ID3v1 tag, old archives are deleted after the days you choose, and "
           "you can listen to the stream while it is recorded.</p>"
           "<p>Recordings start from this panel, from preset files (.tvp), from the command line or at a set "
           "time; the recording display and the icon in the notification area control them. Discwright, "
           "from the Tools menu, makes audio CDs of your recordings.</p>"
           "<p>Tonquill is free software under the GNU General Public License, version 3 or later. It comes "
           "with no warranty.</p>"));
    page->addWidget(RichTextBox1);
    pages->addWidget(AboutFrame);
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
    mnuPlaylist->addSeparator();
    mnuPlay = item(mnuPlaylist, "mnuPlay", tr("Play"), &frmRecord::cmdPreview_Click);
    mnuRecord = item(mnuPlaylist, "mnuRecord", tr("Record"), &frmRecord::cmdRecord_Click);
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

    connect(cmdTools, &QToolButton::clicked, this,
            [this] { mnuToolsPopup->popup(cmdTools->mapToGlobal(QPoint(cmdTools->width(), 0))); });
    connect(cmdSearch, &QToolButton::clicked, this,
            [this] { mnuSearch->popup(cmdSearch->mapToGlobal(QPoint(cmdSearch->width(), 0))); });
}

void frmRecord::ShowPage(int page)
{
    pages->setCurrentIndex(page);
}
