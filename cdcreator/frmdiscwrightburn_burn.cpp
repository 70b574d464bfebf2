// The device and burn side of the burn window: device change, disc status,
// Record and Abort, the recorder's events and the progress tick.
#include "cdcreator/burndialogs.h"
#include "cdcreator/cdimage.h"
#include "cdcreator/discrecorder.h"
#include "cdcreator/frmdiscwrightburn.h"
#include "cdcreator/timetext.h"

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
    ChkBuf->setChecked(m_cdburn.DeviceCapability(IDiscRecorder::kCapabilityUnderrun) ==
                       IDiscRecorder::kUnderrunProtected);
}

void frmDiscwrightBurn::CmbDevice_Click()
{
    CmbSpeeds->clear();
    UpdateBufferCheck();
    // A device that cannot be selected is reported by the recorder; the
    // remaining steps go on regardless.
    m_cdburn.setDeviceIndex(CmbDevice->currentIndex() - 1);
    UpdateBufferCheck();
    m_cdburn.RefreshDevice();
    if (CmbSpeeds->count() > 0)
        CmbSpeeds->setCurrentIndex(0);
}

void frmDiscwrightBurn::ShowDiscStatus()
{
    const int state = m_cdburn.DiscState();
    const double capacity = m_cdburn.DiscCapacity();
    const double used = m_cdburn.DiscUsed();
    const double timeLeft = m_cdburn.DiscTimeLeft();
    switch (state) {
    case IDiscRecorder::kNoDisc:
        StatPanel2->setText(tr("No Disc In Drive"));
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
        StatPanel2->setText(text);
        break;
    }
    case IDiscRecorder::kOpenDisc:
        StatPanel2->setText(tr("Open CD (Capacity=") + FormatBytes(capacity) + tr(", used=") + FormatBytes(used) +
                            QStringLiteral(")"));
        break;
    case IDiscRecorder::kClosedDisc:
        StatPanel2->setText(tr("Non Writeable CD [ ") + FormatBytes(used) + tr(" Used ]"));
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
    if (!ParseNumber(CmbSpeeds->currentText(), &speed) || speed != std::floor(speed) || speed < 0 ||
        speed > 1000) {
        m_dialogs.Inform(tr("Please choose a write speed (a whole number)"));
        return;
    }
    double pause = 0;
    if (!ParseNumber(Text1->text(), &pause) || pause < 0 || pause > 3600) {
        m_dialogs.Inform(tr("Please enter the pause between tracks as a number of seconds"));
        return;
    }
    prog->setMinimum(0);
    prog->setMaximum(100);
    prog->setValue(0);
    m_cdburn.setTestMode(Option1->isChecked());
    m_cdburn.setWriteSpeed(int(speed));
    m_cdburn.setFinalizeDisc(true);
    m_cdburn.setTrackPause(pause);
    m_cdburn.setWriteMethod(0);
    TimerBurnProgress->start();
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
        LabelStatus->clear();
    prog->setValue(int(std::clamp(percent, 0.0, 100.0)));
    LabelTrack->setText(QString::number(m_cdburn.CurrentTrack() - 1));
    LabelBytes->setText(FormatBytes(done) + tr(" of ") + FormatBytes(total));
    LabelTime->setText(SecondsToText(float(m_cdburn.TimeWritten())) + tr(" of ") +
                       SecondsToText(float(m_cdburn.TimeTotal())));
    LabelElapsed->setText(SecondsToText(float(m_cdburn.ElapsedTime())));
}

void frmDiscwrightBurn::cdburn_DeviceFound(const QString& name, const QString&)
{
    CmbDevice->addItem(name);
}

void frmDiscwrightBurn::cdburn_StatusMessage(const QString& text, int code, int kind)
{
    if (kind == IDiscRecorder::kError) {
        if (code == 21)
            m_dialogs.Inform(tr("ASPI is not installed. Please install it or switch to SPTI mode"));
        else
            m_dialogs.Critical(text);
    }
    LabelStatus->setText(text);
}

void frmDiscwrightBurn::cdburn_SpeedFound(int speed, const QString&)
{
    CmbSpeeds->addItem(QString::number(speed));
}

void frmDiscwrightBurn::cdburn_WriteEnded()
{
    // Nothing to poll until the next write.
    TimerBurnProgress->stop();
    prog->setValue(0);
    LabelStatus->clear();
    LabelTrack->clear();
    LabelBytes->clear();
    LabelTime->clear();
    LabelElapsed->clear();
}
