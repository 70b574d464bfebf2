#pragma once

#include "tests/support/qtprint.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>

// Runs the event loop until `done` is true or `timeoutMs` has passed.
// Returns the last value of `done`. Tests only.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs the event loop for about `ms` milliseconds. Not for a test that then
// asserts: wait for the condition itself (WaitUntil), or RunPendingEvents.
void RunEventsFor(int ms);

// Runs what is already due: posted and deferred events, zero timers and the
// sockets that are ready, for `rounds` passes of the event loop, each ended
// by a marker posted behind everything queued before it. For "nothing more
// follows" checks: anything the code under test had queued has run when this
// returns, however slow the machine, and no fixed time is slept.
void RunPendingEvents(int rounds = 3);

// Runs the event loop until QTimers of `intervalMs` have fired `ticks` times
// in all (any such timer of this thread, also those that are members rather
// than children of the code under test). For checks that something does NOT
// happen on the next ticks of a polling timer driven by a fake clock: the
// ticks have been seen however slow the machine. False after `timeoutMs`.
bool WaitForTimerTicks(int intervalMs, int ticks = 2, int timeoutMs = 30000);

// A fresh temporary folder whose path ends with "/".
class TempFolder {
public:
    TempFolder();
    QString path() const;  // with a final "/"
    QString file(const QString& name) const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

// Reads a whole file as bytes ("" when missing).
QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);
