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

bool MemoryTaskScheduler::fail(TaskFailure kind, const QString& why)
{
    m_failure = kind;
    m_error = why;
    return false;
}

bool MemoryTaskScheduler::NewTask(const QString& name, ScheduledTask& task)
{
    m_failure = TaskFailure::None;
    if (!IsValidTaskName(name))
        return fail(TaskFailure::BadName, QStringLiteral("not a task name"));
    if (Find(name))
        return fail(TaskFailure::NameTaken, QStringLiteral("the name is taken"));
    task = ScheduledTask();
    task.name = name;
    return true;
}

bool MemoryTaskScheduler::Store(ScheduledTask& task)
{
    m_failure = TaskFailure::None;
    if (refuse != TaskFailure::None)
        return fail(refuse, QStringLiteral("refused"));
    if (!task.hasTrigger || !task.StartsAt().isValid())
        return fail(TaskFailure::Refused, QStringLiteral("the task has no start"));
    if (task.StartsAt() <= now())
        return fail(TaskFailure::NotInFuture, QStringLiteral("the start is not in the future"));
    if (Find(task.name))
        return fail(TaskFailure::NameTaken, QStringLiteral("the name is taken"));
    task.id = QString::number(m_next++);
    tasks.append(task);
    return true;
}

std::optional<ScheduledTask> MemoryTaskScheduler::Find(const QString& name)
{
    for (const ScheduledTask& t : tasks) {
        if (t.name == name)
            return t;
    }
    return std::nullopt;
}

bool MemoryTaskScheduler::Delete(const ScheduledTask& task)
{
    for (qsizetype i = 0; i < tasks.size(); ++i) {
        if (tasks[i].id == task.id) {
            tasks.removeAt(i);
            return true;
        }
    }
    return fail(TaskFailure::Refused, QStringLiteral("no such task"));
}
