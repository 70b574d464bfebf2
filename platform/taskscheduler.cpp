#include "platform/taskscheduler.h"

bool IsValidTaskName(const QString& name)
{
    if (name.trimmed().isEmpty())
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

namespace {

// A locale's date format with its year written with four digits.
QString fourDigitYear(QString format)
{
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace

std::optional<QDate> ParseTaskDate(const QString& text, const QLocale& locale)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString format = locale.dateFormat(type);
        QDate d = locale.toDate(t, fourDigitYear(format));
        if (d.isValid() && d.year() >= 1000)
            return d;
        d = locale.toDate(t, format);
        if (d.isValid()) {
            // Two-digit years are read as 19xx; a task is always ahead.
            if (!format.contains(QLatin1String("yyyy")) && d.year() < 2000)
                d = d.addYears(100);
            return d;
        }
    }
    const QDate iso = QDate::fromString(t, Qt::ISODate);
    if (iso.isValid())
        return iso;
    // The C locale (no language chosen) has no numeric date: the form of
    // the group's own first text is read then.
    if (locale.language() == QLocale::C) {
        const QDate us = QDate::fromString(t, QStringLiteral("M/d/yyyy"));
        if (us.isValid())
            return us;
    }
    return std::nullopt;
}

std::optional<QTime> ParseTaskTime(const QString& text, const QLocale& locale)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QTime tm = locale.toTime(t, type);
        if (tm.isValid())
            return tm;
    }
    for (const char* format : {"H:mm", "H:mm:ss"}) {
        const QTime tm = QTime::fromString(t, QLatin1String(format));
        if (tm.isValid())
            return tm;
    }
    return std::nullopt;
}

void MemoryTaskScheduler::answer(TaskDone done, std::function<TaskReply()> work)
{
    QMetaObject::invokeMethod(
        &m_context, [done, work] { done(work()); }, Qt::QueuedConnection);
}

std::optional<ScheduledTask> MemoryTaskScheduler::find(const QString& name) const
{
    for (const ScheduledTask& t : tasks) {
        if (t.name == name)
            return t;
    }
    return std::nullopt;
}

void MemoryTaskScheduler::NewTask(const QString& name, TaskDone done)
{
    answer(std::move(done), [this, name] {
        if (!IsValidTaskName(name))
            return TaskReply::Failed(TaskFailure::BadName, QStringLiteral("not a task name"));
        if (find(name))
            return TaskReply::Failed(TaskFailure::NameTaken, QStringLiteral("the name is taken"));
        TaskReply r;
        r.task.name = name;
        return r;
    });
}

TaskReply MemoryTaskScheduler::store(ScheduledTask task)
{
    if (refuse != TaskFailure::None)
        return TaskReply::Failed(refuse, QStringLiteral("refused"));
    if (!task.hasTrigger || !task.StartsAt().isValid())
        return TaskReply::Failed(TaskFailure::Refused, QStringLiteral("the task has no start"));
    if (task.StartsAt() <= now())
        return TaskReply::Failed(TaskFailure::NotInFuture, QStringLiteral("the start is not in the future"));
    if (find(task.name))
        return TaskReply::Failed(TaskFailure::NameTaken, QStringLiteral("the name is taken"));
    task.id = QString::number(m_next++);
    tasks.append(task);
    TaskReply r;
    r.task = task;
    return r;
}

void MemoryTaskScheduler::Store(const ScheduledTask& task, TaskDone done)
{
    answer(std::move(done), [this, task] { return store(task); });
}

void MemoryTaskScheduler::Find(const QString& name, TaskDone done)
{
    answer(std::move(done), [this, name] {
        TaskReply r;
        if (const auto t = find(name))
            r.task = *t;
        else
            r = TaskReply::Failed(TaskFailure::Refused, QStringLiteral("no such task"));
        return r;
    });
}

void MemoryTaskScheduler::Delete(const ScheduledTask& task, TaskDone done)
{
    answer(std::move(done), [this, task] {
        for (qsizetype i = 0; i < tasks.size(); ++i) {
            if (tasks[i].id == task.id) {
                tasks.removeAt(i);
                return TaskReply();
            }
        }
        return TaskReply::Failed(TaskFailure::Refused, QStringLiteral("no such task"));
    });
}
