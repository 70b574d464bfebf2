#pragma once

#include <QObject>

// SIGINT, SIGTERM and SIGHUP turned into a signal on the event loop, so the
// program can close its recording properly before it ends.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Installs the handlers; false when the notification pipe cannot be made.
    bool Install();

signals:
    void Received(int signalNumber);
};
