#include "ui/tray/frmareyousure.h"

#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "ui/shell/desktopshell.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const char kQuestion[] = QT_TRANSLATE_NOOP("frmAreYouSure", "We are recording! Are you sure you wish to quit?");

} // namespace

frmAreYouSure::frmAreYouSure(frmMP3& recorder, IDesktopShell& shell, const ITickSource& clock, QWidget* parent)
    : QDialog(parent), m_recorder(recorder), m_shell(shell), m_clock(clock), m_loadedTick(clock.GetTickCount())
{
    setWindowTitle(tr("Are You Sure You Want To Quit?"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblQuit = new QLabel(tr(kQuestion), this);
    lblQuit->setObjectName(QStringLiteral("lblQuit"));
    lblQuit->setWordWrap(true);
    cmdYes = new QPushButton(tr("&Yes"), this);
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    cmdYes->setAccessibleName(tr("Yes"));
    cmdYes->setAutoDefault(false);
    cmdNo = new QPushButton(tr("&No"), this);
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    cmdNo->setAccessibleName(tr("No"));
    cmdNo->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdYes);
    buttons->addWidget(cmdNo);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblQuit);
    layout->addLayout(buttons);
    // Wide enough for the caption in a (bold) title bar beside the window
    // manager's buttons, at any font size.
    QFont titleFont = font();
    titleFont.setBold(true);
    setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 6 * fontMetrics().height());

    connect(cmdYes, &QPushButton::clicked, this, &frmAreYouSure::cmdYes_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmAreYouSure::cmdNo_Click);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &frmAreYouSure::Timer1_Timer);
    Timer1->start();
    Timer1_Timer();
}

void frmAreYouSure::Timer1_Timer()
{
    const qint64 waited = CompensatedTick(m_clock.GetTickCount(), m_loadedTick) - m_loadedTick;
    if (waited > kAnswerAfterMs) {
        cmdNo_Click();
        return;
    }
    // The whole seconds left until the answer, beside the question.
    const qint64 left = std::min((kAnswerAfterMs - waited + 999) / 1000, kAnswerAfterMs / 1000);
    lblQuit->setText(tr("%1 (No in %2 s)").arg(tr(kQuestion)).arg(left));
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
