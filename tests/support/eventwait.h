#pragma once

#include "tests/support/qtprint.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>

// Runs the event loop until `done` is true or `timeoutMs` has passed.
// Returns the last value of `done`. Tests only.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs the event loop for about `ms` milliseconds.
void RunEventsFor(int ms);

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
