#pragma once

#include "recorder/recorderstatus.h"

#include <QString>

// "m:ss", or "h:mm:ss" when hours are shown.
QString ClockText(qint32 hours, qint32 minutes, qint32 seconds, bool withHours);

// The recording's clock: the time passed since it started (less its pauses)
// and, for a timed recording, the time left and whether its end is reached.
// Fed the tick counter's values (milliseconds, signed 32-bit, wrapping);
// it reads no clock itself.
class RecordingClock {
public:
    // The clock counts from `tick`.
    void Start(qint32 tick) { m_startTick = tick; }
    void Pause(qint32 tick) { m_pauseStart = tick; }
    // The time since Pause is left out of the time passed.
    void Resume(qint32 tick);
    // Nothing is being recorded: the clock reads zero.
    void Clear();
    // The data flow at `tick`: the clock reads the time passed, rounded to
    // the second, and for a timed recording (`timed`, of `minutes`) the
    // time left, negative once it is overdue. Untimed, the time left stays
    // as it was.
    void Show(qint32 tick, bool timed, qint32 minutes);

    RecorderClock Value() const { return m_value; }
    // The tray tip of the last Show while recording `title`.
    QString TrayTip(const QString& title) const;
    // The last Show found a timed recording of some length past its end.
    bool Overdue() const { return m_timed && m_minutes != 0 && m_rawLeft < 0; }
    // A timed recording of `minutes` is at its end at `tick`, whether or not
    // the data flow (at the second the clock rounds to).
    bool TimedEndReached(qint32 tick, bool timed, qint32 minutes) const;

private:
    qint32 m_startTick = 0;
    qint32 m_pauseStart = 0;
    RecorderClock m_value;
    qint32 m_rawLeft = 0; // whole minutes left, negative once overdue
    bool m_timed = false; // of the last Show
    qint32 m_minutes = 0;
};
