#pragma once

#include "platform/messages.h"
#include "recorder/recorderhost.h"

#include <QObject>

#include <cstdio>
#include <functional>

class frmMP3;

// Runs `stop` (on the event loop, in `owner`'s thread) whenever SIGINT,
// SIGTERM or SIGHUP arrives, until `owner` is gone.
void OnStopSignals(QObject* owner, std::function<void()> stop);

// `text` with control characters and direction overrides written as escapes
// ("\x1b", "\u202e"), safe to print on a terminal.
QString EscapeForTerminal(const QString& text);

// Passes messages on and remembers that one was shown.
class TrackingMessageService : public IMessageService {
public:
    explicit TrackingMessageService(IMessageService& inner) : m_inner(inner) {}
    void Raise(const Message& message, std::function<void()> dismissed) override
    {
        ++m_count;
        m_inner.Raise(message, std::move(dismissed));
    }
    int count() const { return m_count; }

private:
    IMessageService& m_inner;
    int m_count = 0;
};

// The recorder without a display: status changes go to stdout one line each,
// the recording's end ends the process, SIGINT, SIGTERM and SIGHUP stop the
// recording (closing and tagging the file) and quit with status 0.
class HeadlessConsole : public QObject, public IRecorderHost {
    Q_OBJECT
public:
    HeadlessConsole(TrackingMessageService& messages, FILE* out = stdout, QObject* parent = nullptr);

    void attach(frmMP3* recorder);
    // Every line printed from now on begins with `prefix` (one station of
    // several: "[Harbour Jazz] ").
    void setLinePrefix(const QString& prefix) { m_prefix = prefix; }
    // Stops a running recording after SIGINT or SIGTERM.
    void installSignalHandlers();
    // What a signal does: says so, stops a running recording (its file
    // closed and tagged) and ends the run with status 0.
    void stopFromSignal();

    // "-noop" asks for the control panel, which needs a display: said, and
    // the program ends.
    void ShowPanelFromConfiguration();
    void UnloadWindows() override {}
    void InstallAssociations() override;
    void UninstallAssociations() override;

    // A status line from elsewhere (the listening player).
    void showStatus(const QString& text) { line(text); }

    // The process's exit status once the run is over.
    int exitStatus() const;

signals:
    void finished(int exitStatus);

private:
    void line(const QString& text);
    void finish(int code);

    TrackingMessageService& m_messages;
    FILE* m_out;
    frmMP3* m_recorder = nullptr;
    QString m_prefix;
    bool m_started = false;
    bool m_signalled = false;
    bool m_finished = false;
    int m_requestedCode = 0;
};
