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

    void NewTask(const QString& name, TaskDone done) override;
    void Store(const ScheduledTask& task, TaskDone done) override;
    void Find(const QString& name, TaskDone done) override;
    void Delete(const ScheduledTask& task, TaskDone done) override;
    QDateTime Now() const override { return now(); }

    using TasksDone = std::function<void(const TaskReply& failure, const QList<ScheduledTask>& tasks)>;
    // Every task of ours the scheduler holds; a failure when at cannot be
    // asked.
    void Tasks(TasksDone done);

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // The job's script for a task (the part after at's own preamble).
    static QByteArray JobScript(const ScheduledTask& task);
    // Reads a task back from "at -c" output; nothing when the job is not one
    // of ours.
    static std::optional<ScheduledTask> ParseJob(const QByteArray& jobText);

private:
    // Runs a tool; `done` is not called once this scheduler is gone.
    void run(const QString& program, const QStringList& arguments, const QByteArray& input, CommandDone done);
    // Answers `done` on a queued call.
    void answer(TaskDone done, const TaskReply& reply);
    // Reads the jobs in `ids` one by one with "at -c" into `found`.
    void readJobs(QList<QByteArray> ids, QList<ScheduledTask> found, TasksDone done);
    using LookedUp = std::function<void(const TaskReply& failure, const std::optional<ScheduledTask>& task)>;
    // The task of that name among ours, when at could be asked.
    void lookUp(const QString& name, LookedUp done);
    void submit(const ScheduledTask& task, const QDateTime& minute, TaskDone done);

    ICommandRunner& m_runner;
    QObject m_context; // owns the running tools
};

// `text` in single quotes for a POSIX shell: the shell reads it back as one
// word, byte for byte.
QString ShellQuote(const QString& text);
