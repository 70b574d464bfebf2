#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTime>
#include <functional>
#include <optional>

// The one trigger of a task: a start date and time and two further
// settings the panel sets to 1 (kept with the task, not interpreted).
struct TaskTrigger {
    QDate startDate;
    QTime startTime;
    int settingA = 0;
    int settingB = 0;
};

// One task of the system's scheduler: a program started once, with its
// parameters, at the trigger's date and time.
struct ScheduledTask {
    QString name;
    QString program;
    QString workingDirectory;
    QString parameters; // given to the program as one argument, exactly as typed
    QString creator;
    int flags = 0;
    TaskTrigger trigger;
    bool hasTrigger = false;
    QString account;
    QString id; // the scheduler's own reference, set when stored

    QDateTime StartsAt() const { return QDateTime(trigger.startDate, trigger.startTime); }
};

// Why the last operation of a scheduler failed.
enum class TaskFailure {
    None,
    NameTaken,    // a task of that name exists
    BadName,      // the name cannot name a task
    NotInFuture,  // the start has already passed
    NotInstalled, // the scheduler's program is missing
    NotRunning,   // the scheduler's service is stopped: nothing would start the task
    Refused,      // any other refusal; LastError() says what
};

// What one operation of a scheduler gave back: the task (begun, stored or
// found) or the kind of failure and its description.
struct TaskReply {
    TaskFailure failure = TaskFailure::None;
    QString error;
    ScheduledTask task;
    bool ok() const { return failure == TaskFailure::None; }
    static TaskReply Failed(TaskFailure kind, const QString& why) { return {kind, why, {}}; }
};
using TaskDone = std::function<void(const TaskReply&)>;

// The system's task scheduler. Every operation returns at once and answers
// through `done` later, from the event loop (never inside the call itself):
// the scheduler's tools may take seconds and nothing waits for them.
class ITaskScheduler {
public:
    virtual ~ITaskScheduler() = default;
    // Begins a task under `name`. Fails when a task of that name exists or
    // the name cannot be a task's name (empty, a "/" or a control character).
    virtual void NewTask(const QString& name, TaskDone done) = 0;
    // Stores a begun task with its trigger; the reply holds it with its id.
    // Fails when the start is not in the future or the scheduler refuses it.
    virtual void Store(const ScheduledTask& task, TaskDone done) = 0;
    // The stored task of that name.
    virtual void Find(const QString& name, TaskDone done) = 0;
    virtual void Delete(const ScheduledTask& task, TaskDone done) = 0;
    // The scheduler's clock: a start is in the future by this time.
    virtual QDateTime Now() const { return QDateTime::currentDateTime(); }
};

// True when `name` can name a task: not empty, no "/" or "\", no control
// characters.
bool IsValidTaskName(const QString& name);

// The date and time texts of the scheduler group, read with the locale's
// short and long formats (a two-digit year falls in this century, a
// four-digit year is read in a short format too), then in ISO form
// ("2026-12-24", "13:05", "13:05:30"); in the C locale also "12/24/2026".
// Nothing for any other text.
std::optional<QDate> ParseTaskDate(const QString& text, const QLocale& locale = QLocale::system());
std::optional<QTime> ParseTaskTime(const QString& text, const QLocale& locale = QLocale::system());

// Keeps tasks in memory, with the same rules as the real scheduler (for
// tests).
class MemoryTaskScheduler : public ITaskScheduler {
public:
    void NewTask(const QString& name, TaskDone done) override;
    void Store(const ScheduledTask& task, TaskDone done) override;
    void Find(const QString& name, TaskDone done) override;
    void Delete(const ScheduledTask& task, TaskDone done) override;
    QDateTime Now() const override { return now(); }

    QList<ScheduledTask> tasks;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Not None: every task is refused at Store with this failure, as a
    // scheduler that is missing, stopped or unwilling does.
    TaskFailure refuse = TaskFailure::None;

private:
    // Answers on a queued call, as a scheduler running its tools does.
    void answer(TaskDone done, std::function<TaskReply()> work);
    TaskReply store(ScheduledTask task);
    std::optional<ScheduledTask> find(const QString& name) const;

    QObject m_context;
    int m_next = 1;
};
