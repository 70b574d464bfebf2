#pragma once

#include "platform/commandrunner.h"
#include "platform/taskscheduler.h"

// The scheduler on at and atd: one at job per task. The job carries the
// task's settings as comment lines (name, creator, flags, trigger, account,
// program, folder, parameters; each value percent-encoded on one line) and
// then runs the program with the parameters as one shell-quoted argument,
// so no text in them is ever run as a command. Tasks are listed with atq
// and read back with "at -c".
class AtScheduler : public ITaskScheduler {
public:
    explicit AtScheduler(ICommandRunner& runner);

    bool NewTask(const QString& name, ScheduledTask& task) override;
    bool Store(ScheduledTask& task) override;
    std::optional<ScheduledTask> Find(const QString& name) override;
    bool Delete(const ScheduledTask& task) override;
    QString LastError() const override { return m_error; }
    TaskFailure LastFailure() const override { return m_failure; }
    QDateTime Now() const override { return now(); }

    // Every task of ours the scheduler holds; false when at cannot be asked.
    bool Tasks(QList<ScheduledTask>& out);

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // The job's script for a task (the part after at's own preamble).
    static QByteArray JobScript(const ScheduledTask& task);
    // Reads a task back from "at -c" output; nothing when the job is not one
    // of ours.
    static std::optional<ScheduledTask> ParseJob(const QByteArray& jobText);

private:
    bool fail(TaskFailure kind, const QString& why);
    // Fails with what went wrong running `what`.
    bool failRun(const QString& what, const CommandResult& r);

    ICommandRunner& m_runner;
    QString m_error;
    TaskFailure m_failure = TaskFailure::None;
};

// `text` in single quotes for a POSIX shell: the shell reads it back as one
// word, byte for byte.
QString ShellQuote(const QString& text);
