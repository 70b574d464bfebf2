#include "cdcreator/frmdiscwrightburn.h"

#include "cdcreator/discrecorder.h"
#include "cdcreator/queuelist.h"
#include "cdcreator/timescale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

const QString frmDiscwrightBurn::kAudioFilter =
    QStringLiteral("Audio Files (*.mp3,*.wma,*.ogg,*.wav, *.mp2)|*.mp3;*.wma;*.ogg;*.wav; *.mp2");

namespace {

QGroupBox* Frame(const QString& title, QWidget* content, QWidget* extra = nullptr)
{
    auto* box = new QGroupBox(title);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(content);
    if (extra)
        layout->addWidget(extra);
    return box;
}

} // namespace

frmDiscwrightBurn::frmDiscwrightBurn(IDiscRecorder& recorder, IBurnDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_cdburn(recorder), m_dialogs(dialogs)
{
    BuildControls();
    ConnectRecorder();
    Form_Load();
}

frmDiscwrightBurn::~frmDiscwrightBurn()
{
    // The recorder may outlive the window; its events must not reach it.
    m_cdburn.disconnect(this);
}

void frmDiscwrightBurn::BuildControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);

    CmbDevice = new QComboBox;
    CmbDevice->setObjectName(QStringLiteral("CmbDevice"));
    CmbDevice->setMinimumContentsLength(28);
    CmbSpeeds = new QComboBox;
    CmbSpeeds->setObjectName(QStringLiteral("CmbSpeeds"));
    CmbSpeeds->setMinimumContentsLength(4);
    ChkBuf = new QCheckBox(tr("Burn Proof"));
    ChkBuf->setObjectName(QStringLiteral("ChkBuf"));
    // It shows what the device offers; the user does not set it.
    ChkBuf->setAttribute(Qt::WA_TransparentForMouseEvents);
    ChkBuf->setFocusPolicy(Qt::NoFocus);

    Option1 = new QRadioButton(tr("Test"));
    Option2 = new QRadioButton(tr("Record"));
    auto* mode = new QWidget;
    auto* modeLayout = new QHBoxLayout(mode);
    modeLayout->setContentsMargins(0, 0, 0, 0);
    modeLayout->addWidget(Option1);
    modeLayout->addWidget(Option2);

    Text1 = new QLineEdit(QStringLiteral("2"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMaximumWidth(48);

    auto* top = new QHBoxLayout;
    top->addWidget(Frame(tr("Devices"), CmbDevice), 3);
    auto* speedBox = new QWidget;
    auto* speedLayout = new QVBoxLayout(speedBox);
    speedLayout->setContentsMargins(0, 0, 0, 0);
    speedLayout->addWidget(CmbSpeeds);
    speedLayout->addWidget(ChkBuf);
    top->addWidget(Frame(tr("Speed"), speedBox), 1);
    top->addWidget(Frame(tr("Mode"), mode));
    top->addWidget(Frame(tr("Pause"), Text1, new QLabel(tr("Sec"))));
    column->addLayout(top);

    column->addWidget(new QLabel(tr("Drag And Drop Audio Audio Files Below")));
    List1 = new QueueList;
    List1->setObjectName(QStringLiteral("List1"));
    column->addWidget(List1, 1);

    // A count the window keeps: it reads like a box but takes no typing.
    // Its name is the count; the label before it names it.
    Text2 = new QLabel(tr("Tracks"));
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Text2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Text2->setMinimumWidth(48);
    Text2->setMaximumWidth(64);
    Command1 = new QPushButton;
    Command2 = new QPushButton;
    Command3 = new QPushButton;
    Command4 = new QPushButton;
    auto* commands = new QHBoxLayout;
    auto* tracksLabel = new QLabel(tr("Total Tracks:"));
    tracksLabel->setBuddy(Text2);
    commands->addWidget(tracksLabel);
    commands->addWidget(Text2);
    commands->addStretch(1);
    for (QPushButton* button : {Command1, Command2, Command3, Command4})
        commands->addWidget(button);
    column->addLayout(commands);

    timeScale = new TimeScale;
    timeScale->setObjectName(QStringLiteral("TimeScale"));
    column->addWidget(timeScale);

    prog = new QProgressBar;
    prog->setObjectName(QStringLiteral("prog"));
    prog->setRange(0, 100);
    prog->setValue(0);
    column->addWidget(prog);

    auto* details = new QFormLayout;
    LabelTrack = new QLabel;
    LabelBytes = new QLabel;
    LabelTime = new QLabel;
    LabelElapsed = new QLabel;
    LabelStatus = new QLabel;
    LabelStatus->setWordWrap(true);
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details->addRow(tr("Writing Current Track:"), LabelTrack);
    details->addRow(tr("Bytes Written:"), LabelBytes);
    details->addRow(tr("Time:"), LabelTime);
    details->addRow(tr("Elapsed:"), LabelElapsed);
    details->addRow(tr("Status:"), LabelStatus);
    column->addLayout(details);
    setCentralWidget(central);

    StatPanel1 = new QLabel(tr("Disc Status:"));
    StatPanel2 = new QLabel;
    StatPanel3 = new QLabel;
    statusBar()->addWidget(StatPanel1);
    statusBar()->addWidget(StatPanel2, 1);
    statusBar()->addPermanentWidget(StatPanel3);

    TimerBurnProgress = new QTimer(this);
    TimerBurnProgress->setInterval(kProgressIntervalMs);

    connect(Command1, &QPushButton::clicked, this, &frmDiscwrightBurn::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDiscwrightBurn::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmDiscwrightBurn::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmDiscwrightBurn::Command4_Click);
    connect(List1, &QueueList::filesDropped, this, &frmDiscwrightBurn::List1_OLEDragDrop);
    connect(TimerBurnProgress, &QTimer::timeout, this, &frmDiscwrightBurn::TimerBurnProgress_Timer);
    resize(720, 520);
}

void frmDiscwrightBurn::ConnectRecorder()
{
    connect(&m_cdburn, &IDiscRecorder::DeviceFound, this, &frmDiscwrightBurn::cdburn_DeviceFound);
    connect(&m_cdburn, &IDiscRecorder::StatusMessage, this, &frmDiscwrightBurn::cdburn_StatusMessage);
    connect(&m_cdburn, &IDiscRecorder::SpeedFound, this, &frmDiscwrightBurn::cdburn_SpeedFound);
    connect(&m_cdburn, &IDiscRecorder::WriteEnded, this, &frmDiscwrightBurn::cdburn_WriteEnded);
    connect(&m_cdburn, &IDiscRecorder::TrackListed, this, &frmDiscwrightBurn::cdburn_TrackListed);
    connect(&m_cdburn, &IDiscRecorder::DiscStatusChanged, this, &frmDiscwrightBurn::ShowDiscStatus);
    // Files are read off the GUI thread; each one read rebuilds the list.
    connect(&m_cdburn, &IDiscRecorder::TracksChanged, this, &frmDiscwrightBurn::cdburn_TracksChanged);
}

void frmDiscwrightBurn::Form_Load()
{
    setWindowTitle(QStringLiteral(" Discwright "));
    m_cdburn.setAccessMode(0);
    m_cdburn.InitRecorder();
    CmbDevice->addItem(tr("Image Virtual Device"));
    m_cdburn.ListDevices();
    CmbDevice->setCurrentIndex(0);
    CmbDevice_Click();
    connect(CmbDevice, &QComboBox::activated, this, &frmDiscwrightBurn::CmbDevice_Click);

    Command1->setText(tr("Record"));
    Command2->setText(tr("Abort"));
    Command3->setText(tr("Browse"));
    Command4->setText(tr("Delete"));

    Option1->setChecked(true);
    Option1->setText(tr("Test"));
    Option2->setText(tr("Record"));
    ChkBuf->setText(tr("BurnProof"));

    ShowDiscStatus();
    timeScale->SetAudioMode();
    refreshaudiotracks();
}

QString frmDiscwrightBurn::discStatusText() const
{
    return StatPanel2->text();
}

QString frmDiscwrightBurn::queueTimeText() const
{
    return StatPanel3->text();
}
