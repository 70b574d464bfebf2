// The device and burn side of the burn window: device change, disc status,
// Record and Abort, the recorder's events and the progress tick.
#include "cdcreator/burndialogs.h"
#include "cdcreator/cdimage.h"
#include "cdcreator/discrecorder.h"
#include "cdcreator/frmdiscwrightburn.h"
#include "cdcreator/timetext.h"
#include "ui_frmdiscwrightburn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// A number typed by the user, in the user's notation or the C one.
bool ParseNumber(const QString& text, double* value)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double parsed = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        parsed = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

} // namespace

void frmDiscwrightBurn::UpdateBufferCheck()
{
    m_ui->ChkBuf->setChecked(m_cdburn.DeviceCapability(IDiscRecorder::kCapabilityUnderrun) ==
                             IDiscRecorder::kUnderrunProtected);
}

void frmDiscwrightBurn::CmbDevice_Click()
{
    m_ui->CmbSpeeds->clear();
    UpdateBufferCheck();
    // A device that cannot be selected is reported by the recorder; the
    // remaining steps go on regardless.
    m_cdburn.setDeviceIndex(m_ui->CmbDevice->currentIndex() - 1);
    UpdateBufferCheck();
    m_cdburn.RefreshDevice();
    if (m_ui->CmbSpeeds->count() > 0)
        m_ui->CmbSpeeds->setCurrentIndex(0);
}

void frmDiscwrightBurn::ShowDiscStatus()
{
    const int state = m_cdburn.DiscState();
    const double capacity = m_cdburn.DiscCapacity();
    const double used = m_cdburn.DiscUsed();
    const double timeLeft = m_cdburn.DiscTimeLeft();
    switch (state) {
    case IDiscRecorder::kNoDisc:
        m_discStatus->setText(tr("No Disc In Drive"));
        break;
    case IDiscRecorder::kEmptyDisc: {
        // What is left once the queue is on the disc.
        const double queued = m_cdburn.QueueSeconds();
        const double over = queued - timeLeft;
        QString text = tr("Empty CD   [ ") + SecondsToText(float(std::max(0.0, timeLeft - queued))) +
                       tr(" Time Left , ") + FormatBytes(std::max(0.0, capacity - queued * CdAudio::kBytesPerSecond)) +
                       tr(" Left ]");
        if (over > 0)
            text += tr("  The queue is %1 too long").arg(SecondsToText(float(over)));
        m_discStatus->setText(text);
        break;
    }
    case IDiscRecorder::kOpenDisc:
        m_discStatus->setText(tr("Open CD (Capacity=") + FormatBytes(capacity) + tr(", used=") + FormatBytes(used) +
                              QStringLiteral(")"));
        break;
    case IDiscRecorder::kClosedDisc:
        m_discStatus->setText(tr("Non Writeable CD [ ") + FormatBytes(used) + tr(" Used ]"));
        break;
    default:
        break;
    }
}

void frmDiscwrightBurn::Command1_Click()
{
    // Both texts are read before anything is set, so a burn never starts
    // with a value that was not understood.
    double speed = 0;
    if (!ParseNumber(m_ui->CmbSpeeds->currentText(), &speed) || speed != std::floor(speed) || speed < 0 ||
        speed > 1000) {
        m_dialogs.Inform(tr("Please choose a write speed (a whole number)"));
        return;
    }
    double pause = 0;
    if (!ParseNumber(m_ui->Text1->text(), &pause) || pause < 0 || pause > 3600) {
        m_dialogs.Inform(tr("Please enter the pause between tracks as a number of seconds"));
        return;
    }
    m_ui->prog->setMinimum(0);
    m_ui->prog->setMaximum(100);
    m_ui->prog->setValue(0);
    m_cdburn.setTestMode(m_ui->Option1->isChecked());
    m_cdburn.setWriteSpeed(int(speed));
    m_cdburn.setFinalizeDisc(true);
    m_cdburn.setTrackPause(pause);
    m_cdburn.setWriteMethod(0);
    m_progressTimer->start();
    m_cdburn.StartWrite();
}

void frmDiscwrightBurn::Command2_Click()
{
    m_cdburn.AbortWrite();
}

void frmDiscwrightBurn::TimerBurnProgress_Timer()
{
    const double total = m_cdburn.TotalBytes();
    const double done = m_cdburn.BytesWritten();
    const double percent = total > 0 ? done / total * 100.0 : 0.0;
    // A write that reaches its end clears the status it began with; once it
    // has ended, the status tells its result and stays.
    if (percent == 100.0 && m_cdburn.IsWriting())
        m_ui->LabelStatus->clear();
    m_ui->prog->setValue(int(std::clamp(percent, 0.0, 100.0)));
    m_ui->LabelTrack->setText(QString::number(m_cdburn.CurrentTrack() - 1));
    m_ui->LabelBytes->setText(FormatBytes(done) + tr(" of ") + FormatBytes(total));
    m_ui->LabelTime->setText(SecondsToText(float(m_cdburn.TimeWritten())) + tr(" of ") +
                             SecondsToText(float(m_cdburn.TimeTotal())));
    m_ui->LabelElapsed->setText(SecondsToText(float(m_cdburn.ElapsedTime())));
}

void frmDiscwrightBurn::cdburn_DeviceFound(const QString& name, const QString&)
{
    m_ui->CmbDevice->addItem(name);
}

void frmDiscwrightBurn::cdburn_StatusMessage(const QString& text, int code, int kind)
{
    if (kind == IDiscRecorder::kError) {
        if (code == 21)
            m_dialogs.Inform(tr("ASPI is not installed. Please install it or switch to SPTI mode"));
        else
            m_dialogs.Critical(text);
    }
    m_ui->LabelStatus->setText(text);
}

void frmDiscwrightBurn::cdburn_SpeedFound(int speed, const QString&)
{
    m_ui->CmbSpeeds->addItem(QString::number(speed));
}

void frmDiscwrightBurn::cdburn_WriteEnded()
{
    // Nothing to poll until the next write.
    m_progressTimer->stop();
    m_ui->prog->setValue(0);
    m_ui->LabelStatus->clear();
    m_ui->LabelTrack->clear();
    m_ui->LabelBytes->clear();
    m_ui->LabelTime->clear();
    m_ui->LabelElapsed->clear();
}
