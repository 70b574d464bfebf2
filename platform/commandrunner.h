#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

// What one run of a short command-line tool gave back.
struct CommandResult {
    bool started = false;  // false: the program was not found or could not start
    bool finished = false; // false: it was stopped after the time limit
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return started && finished && exitCode == 0; }
};

using CommandDone = std::function<void(const CommandResult&)>;

// Runs a short system tool (at, atq, update-mime-database) to its end,
// directly and never through a shell, feeding `input` to its standard input.
class ICommandRunner {
public:
    virtual ~ICommandRunner() = default;
    virtual CommandResult Run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) = 0;
    // Starts the tool and returns at once; `done` gets the result later from
    // the event loop of `context`'s thread, never inside this call, and not
    // at all once `context` is gone. Here: Run on a queued call.
    virtual void Start(QObject* context, const QString& program, const QStringList& arguments, const QByteArray& input,
                       CommandDone done);
};

// The real runner: posix_spawnp with pipes, bounded by a time limit after
// which the tool is killed. It runs no event loop; the tools it is used for
// answer within milliseconds.
class SystemCommandRunner : public ICommandRunner {
public:
    explicit SystemCommandRunner(int timeoutMs = 10000) : m_timeoutMs(timeoutMs) {}
    CommandResult Run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) override;
    // Through QProcess, with the same time limit: nothing waits meanwhile.
    void Start(QObject* context, const QString& program, const QStringList& arguments, const QByteArray& input,
               CommandDone done) override;

private:
    int m_timeoutMs;
};
