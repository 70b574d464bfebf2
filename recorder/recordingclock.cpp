#include "recorder/recordingclock.h"

#include "platform/tickcount.h"

#include <QCoreApplication>
#include <cmath>

namespace {
QString twoDigits(qint32 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

QString ClockText(qint32 hours, qint32 minutes, qint32 seconds, bool withHours)
{
    if (!withHours)
        return QString::number(minutes) + QLatin1Char(':') + twoDigits(seconds);
    return QString::number(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds);
}

namespace {
// Floor division for the negative minute counts of an overdue recording.
qint32 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return static_cast<qint32>(q);
}
} // namespace

void RecordingClock::Resume(qint32 tick)
{
    const qint64 pause = CompensatedTick(tick, m_pauseStart) - m_pauseStart;
    m_startTick = static_cast<qint32>(static_cast<quint32>(static_cast<qint64>(m_startTick) + pause));
}

void RecordingClock::Clear()
{
    m_value = RecorderClock();
}

void RecordingClock::Show(qint32 tick, bool timed, qint32 minutes)
{
    m_timed = timed;
    m_minutes = minutes;
    RecorderClock& v = m_value;
    const qint64 elapsedMs = CompensatedTick(tick, m_startTick) - m_startTick;
    qint32 m = floorDiv(elapsedMs, 60000);
    const qint32 s = static_cast<qint32>(std::nearbyint(static_cast<double>(elapsedMs) / 1000.0 - 60.0 * m));
    if (timed) {
        m_rawLeft = minutes - m - 1;
        v.lngSecondsLeft = 60 - s;
        if (v.lngSecondsLeft == 60) {
            ++m_rawLeft;
            v.lngSecondsLeft = 0;
        }
    }
    v.lngHoursPassed = floorDiv(m, 60);
    if (v.lngHoursPassed >= 1)
        m -= 60 * v.lngHoursPassed;
    if (timed) {
        v.lngHoursLeft = floorDiv(m_rawLeft, 60);
        v.lngMinutesLeft = v.lngHoursLeft >= 1 ? m_rawLeft - 60 * v.lngHoursLeft : m_rawLeft;
    }
    v.lngMinutesPassed = m;
    v.lngSecondsPassed = s;
}

QString RecordingClock::TrayTip(const QString& title) const
{
    const RecorderClock& v = m_value;
    if (!m_timed) {
        const QString passed =
            ClockText(v.lngHoursPassed, v.lngMinutesPassed, v.lngSecondsPassed, v.lngHoursPassed >= 1);
        return QCoreApplication::translate("frmMP3", "RECORDING %1... (%2)").arg(title, passed);
    }
    const bool hours = v.lngHoursPassed >= 1 || v.lngHoursLeft >= 1;
    const QString passed = ClockText(v.lngHoursPassed, v.lngMinutesPassed, v.lngSecondsPassed, hours);
    const QString left = ClockText(v.lngHoursLeft, v.lngMinutesLeft, v.lngSecondsLeft, hours);
    return QCoreApplication::translate("frmMP3", "RECORDING %1... (%2) (-%3 left)").arg(title, passed, left);
}

bool RecordingClock::TimedEndReached(qint32 tick, bool timed, qint32 minutes) const
{
    return timed && minutes != 0 &&
           CompensatedTick(tick, m_startTick) - m_startTick >= static_cast<qint64>(minutes) * 60000 + 500;
}
