#include "cdcreator/frmdiscwrightburn.h"

#include "cdcreator/discrecorder.h"
#include "cdcreator/queuelist.h"
#include "cdcreator/timescale.h"
#include "ui_frmdiscwrightburn.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

const QString frmDiscwrightBurn::kAudioFilter =
    QStringLiteral("Audio Files (*.mp3,*.wma,*.ogg,*.wav, *.mp2)|*.mp3;*.wma;*.ogg;*.wav; *.mp2");

frmDiscwrightBurn::frmDiscwrightBurn(IDiscRecorder& recorder, IBurnDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmDiscwrightBurn>()), m_cdburn(recorder), m_dialogs(dialogs)
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
    m_ui->setupUi(this);
    // The scale is found by this name.
    m_ui->timeScale->setObjectName(QStringLiteral("TimeScale"));
    // It shows what the device offers; the user does not set it.
    m_ui->ChkBuf->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The pause takes a few digits; the track count reads like a box but
    // takes no typing. Both are as wide as a few characters of the font.
    const QFontMetrics metrics = fontMetrics();
    m_ui->Text1->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("0000")) + 2 * metrics.height());
    m_ui->Text2->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("000")) + metrics.height());
    m_ui->Text2->setMaximumWidth(metrics.horizontalAdvance(QStringLiteral("000000")) + metrics.height());

    m_discStatusCaption = new QLabel(tr("Disc Status:"));
    m_discStatusCaption->setObjectName(QStringLiteral("StatPanel1"));
    m_discStatus = new QLabel;
    m_discStatus->setObjectName(QStringLiteral("m_discStatus"));
    m_discStatus->setTextFormat(Qt::PlainText); // a drive's answer, shown as it is
    m_queueTime = new QLabel;
    m_queueTime->setObjectName(QStringLiteral("m_queueTime"));
    m_queueTime->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_discStatusCaption);
    statusBar()->addWidget(m_discStatus, 1);
    statusBar()->addPermanentWidget(m_queueTime);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setObjectName(QStringLiteral("TimerBurnProgress"));
    m_progressTimer->setInterval(kProgressIntervalMs);

    connect(m_ui->Command1, &QPushButton::clicked, this, &frmDiscwrightBurn::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmDiscwrightBurn::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &frmDiscwrightBurn::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &frmDiscwrightBurn::Command4_Click);
    connect(m_ui->List1, &QueueList::filesDropped, this, &frmDiscwrightBurn::List1_OLEDragDrop);
    connect(m_progressTimer, &QTimer::timeout, this, &frmDiscwrightBurn::TimerBurnProgress_Timer);
    // Some thirty lines high, wide enough for a long file name in the queue.
    resize(100 * metrics.averageCharWidth(), 32 * metrics.height());
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
    m_ui->CmbDevice->addItem(tr("Image Virtual Device"));
    m_cdburn.ListDevices();
    m_ui->CmbDevice->setCurrentIndex(0);
    CmbDevice_Click();
    connect(m_ui->CmbDevice, &QComboBox::activated, this, &frmDiscwrightBurn::CmbDevice_Click);

    ShowDiscStatus();
    m_ui->timeScale->SetAudioMode();
    refreshaudiotracks();
}

QString frmDiscwrightBurn::discStatusText() const
{
    return m_discStatus->text();
}

QString frmDiscwrightBurn::queueTimeText() const
{
    return m_queueTime->text();
}
