#include "ui/tray/frmareyousure.h"

#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "ui/shell/desktopshell.h"
#include "ui_frmareyousure.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

namespace {

const char kQuestion[] = QT_TRANSLATE_NOOP("frmAreYouSure", "We are recording! Are you sure you wish to quit?");

} // namespace

frmAreYouSure::frmAreYouSure(frmMP3& recorder, IDesktopShell& shell, const ITickSource& clock, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmAreYouSure>()), m_recorder(recorder), m_shell(shell),
      m_clock(clock), m_loadedTick(clock.GetTickCount())
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // Wide enough for the caption in a (bold) title bar beside the window
    // manager's buttons, at any font size.
    QFont titleFont = font();
    titleFont.setBold(true);
    setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 6 * fontMetrics().height());

    connect(m_ui->cmdYes, &QPushButton::clicked, this, &frmAreYouSure::cmdYes_Click);
    connect(m_ui->cmdNo, &QPushButton::clicked, this, &frmAreYouSure::cmdNo_Click);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &frmAreYouSure::Timer1_Timer);
    Timer1->start();
    Timer1_Timer();
}

frmAreYouSure::~frmAreYouSure() = default;

void frmAreYouSure::Timer1_Timer()
{
    const qint64 waited = CompensatedTick(m_clock.GetTickCount(), m_loadedTick) - m_loadedTick;
    if (waited > kAnswerAfterMs) {
        cmdNo_Click();
        return;
    }
    // The whole seconds left until the answer, beside the question.
    const qint64 left = std::min((kAnswerAfterMs - waited + 999) / 1000, kAnswerAfterMs / 1000);
    m_ui->lblQuit->setText(tr("%1 (No in %2 s)").arg(tr(kQuestion)).arg(left));
}

void frmAreYouSure::cmdYes_Click()
{
    Timer1->stop();
    if (m_recorder.Status().blnRecording)
        m_recorder.StopRecording();
    m_shell.QuitProgram();
}

void frmAreYouSure::cmdNo_Click()
{
    Timer1->stop();
    close();
}

void frmAreYouSure::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (text == QLatin1String("y") || text == QLatin1String("Y")) {
        cmdYes_Click();
        return;
    }
    if (text == QLatin1String("n") || text == QLatin1String("N")) {
        cmdNo_Click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        cmdNo_Click();
        return;
    }
    event->ignore();
}
