#include "platform/atscheduler.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

const QByteArray kMarker = "# tonquill-";
const QByteArray kTaskKey = "task";

QByteArray encode(const QString& value)
{
    return QUrl::toPercentEncoding(value, " :@+,");
}

QString decode(const QByteArray& value)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value));
}

QByteArray line(const char* key, const QString& value)
{
    return kMarker + key + ": " + encode(value) + '\n';
}

} // namespace

QString ShellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

AtScheduler::AtScheduler(ICommandRunner& runner) : m_runner(runner)
{
}

bool AtScheduler::fail(TaskFailure kind, const QString& why)
{
    m_failure = kind;
    m_error = why;
    return false;
}

bool AtScheduler::failRun(const QString& what, const CommandResult& r)
{
    if (!r.started)
        return fail(TaskFailure::NotInstalled, what + QStringLiteral(": at is not installed"));
    if (!r.finished)
        return fail(TaskFailure::Refused, what + QStringLiteral(": at did not answer"));
    return fail(TaskFailure::Refused, what + QStringLiteral(": ") + QString::fromLocal8Bit(r.err).trimmed());
}

QByteArray AtScheduler::JobScript(const ScheduledTask& task)
{
    QByteArray s;
    s += line(kTaskKey.constData(), task.name);
    s += line("creator", task.creator);
    s += line("flags", QString::number(task.flags));
    s += line("start", task.StartsAt().toString(Qt::ISODate));
    s += line("trigger", QStringLiteral("%1 %2").arg(task.trigger.settingA).arg(task.trigger.settingB));
    s += line("account", task.account);
    s += line("program", task.program);
    s += line("directory", task.workingDirectory);
    s += line("parameters", task.parameters);
    if (!task.workingDirectory.isEmpty())
        s += "cd " + ShellQuote(task.workingDirectory).toLocal8Bit() + " || exit 1\n";
    // A desktop session that has ended leaves its address behind: the
    // recorder then runs without windows.
    s += "[ -n \"${WAYLAND_DISPLAY:-}\" ] && [ ! -S \"${XDG_RUNTIME_DIR:-/nonexistent}/$WAYLAND_DISPLAY\" ] && "
         "unset WAYLAND_DISPLAY\n";
    s += "exec " + ShellQuote(task.program).toLocal8Bit();
    if (!task.parameters.isEmpty())
        s += ' ' + ShellQuote(task.parameters).toLocal8Bit();
    s += '\n';
    return s;
}

std::optional<ScheduledTask> AtScheduler::ParseJob(const QByteArray& jobText)
{
    ScheduledTask task;
    bool ours = false;
    // Our lines open the script that at hands to the shell after its own
    // preamble, and end at the first other line: a parameter that holds a
    // line like ours is never read as a setting.
    const QList<QByteArray> lines = jobText.split('\n');
    qsizetype first = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains("<< 'marcinDELIMITER")) {
            first = i + 1;
            break;
        }
    }
    while (first < lines.size() && !lines[first].startsWith(kMarker))
        ++first;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QByteArray& raw = lines[i];
        if (!raw.startsWith(kMarker))
            break;
        const qsizetype colon = raw.indexOf(": ");
        if (colon < 0)
            continue;
        const QByteArray key = raw.mid(kMarker.size(), colon - kMarker.size());
        const QString value = decode(raw.mid(colon + 2).trimmed());
        if (key == kTaskKey) {
            task.name = value;
            ours = true;
        } else if (key == "creator") {
            task.creator = value;
        } else if (key == "flags") {
            task.flags = value.toInt();
        } else if (key == "start") {
            const QDateTime at = QDateTime::fromString(value, Qt::ISODate);
            task.trigger.startDate = at.date();
            task.trigger.startTime = at.time();
            task.hasTrigger = at.isValid();
        } else if (key == "trigger") {
            const QStringList parts = value.split(QLatin1Char(' '));
            task.trigger.settingA = parts.value(0).toInt();
            task.trigger.settingB = parts.value(1).toInt();
        } else if (key == "account") {
            task.account = value;
        } else if (key == "program") {
            task.program = value;
        } else if (key == "directory") {
            task.workingDirectory = value;
        } else if (key == "parameters") {
            task.parameters = value;
        }
    }
    if (!ours)
        return std::nullopt;
    return task;
}

bool AtScheduler::Tasks(QList<ScheduledTask>& out)
{
    out.clear();
    m_failure = TaskFailure::None;
    const CommandResult list = m_runner.Run(QStringLiteral("atq"), {});
    if (!list.ok())
        return failRun(QStringLiteral("atq"), list);
    // "12\tTue Dec  8 14:30:00 2026 a user"
    for (const QByteArray& row : list.out.split('\n')) {
        const QByteArray id = row.split('\t').value(0).trimmed();
        bool number = false;
        id.toInt(&number);
        if (!number)
            continue;
        const CommandResult job = m_runner.Run(QStringLiteral("at"), {QStringLiteral("-c"), QString::fromLatin1(id)});
        if (!job.ok())
            continue; // ended or removed meanwhile
        if (auto task = ParseJob(job.out)) {
            task->id = QString::fromLatin1(id);
            out.append(*task);
        }
    }
    return true;
}

bool AtScheduler::NewTask(const QString& name, ScheduledTask& task)
{
    if (!IsValidTaskName(name))
        return fail(TaskFailure::BadName, QStringLiteral("\"%1\" cannot name a task").arg(name));
    QList<ScheduledTask> all;
    if (!Tasks(all))
        return false;
    for (const ScheduledTask& t : all) {
        if (t.name == name)
            return fail(TaskFailure::NameTaken, QStringLiteral("a task named \"%1\" exists").arg(name));
    }
    task = ScheduledTask();
    task.name = name;
    return true;
}

bool AtScheduler::Store(ScheduledTask& task)
{
    const QDateTime start = task.StartsAt();
    if (!task.hasTrigger || !start.isValid())
        return fail(TaskFailure::Refused, QStringLiteral("the task has no start"));
    // at counts in whole minutes.
    const QDateTime minute(start.date(), QTime(start.time().hour(), start.time().minute()));
    if (minute <= now())
        return fail(TaskFailure::NotInFuture, QStringLiteral("the start is not in the future"));
    // Refused here too when another task took the name meanwhile.
    ScheduledTask unused;
    if (!NewTask(task.name, unused))
        return false;
    const CommandResult made = m_runner.Run(
        QStringLiteral("at"), {QStringLiteral("-t"), minute.toString(QStringLiteral("yyyyMMddHHmm"))}, JobScript(task));
    const QRegularExpression jobLine(QStringLiteral("job (\\d+) at"));
    const auto match = jobLine.match(QString::fromLocal8Bit(made.err));
    if (!made.ok() || !match.hasMatch())
        return failRun(QStringLiteral("at"), made);
    task.id = match.captured(1);
    // at queues the job even when atd is not running, but nothing would
    // ever start it.
    if (made.err.contains("No atd running")) {
        m_runner.Run(QStringLiteral("atrm"), {task.id});
        task.id.clear();
        return fail(TaskFailure::NotRunning, QStringLiteral("atd is not running"));
    }
    return true;
}

std::optional<ScheduledTask> AtScheduler::Find(const QString& name)
{
    QList<ScheduledTask> all;
    if (!Tasks(all))
        return std::nullopt;
    for (const ScheduledTask& t : all) {
        if (t.name == name)
            return t;
    }
    fail(TaskFailure::Refused, QStringLiteral("no task named \"%1\"").arg(name));
    return std::nullopt;
}

bool AtScheduler::Delete(const ScheduledTask& task)
{
    if (task.id.isEmpty())
        return fail(TaskFailure::Refused, QStringLiteral("the task is not stored"));
    const CommandResult r = m_runner.Run(QStringLiteral("atrm"), {task.id});
    if (!r.ok())
        return failRun(QStringLiteral("atrm"), r);
    return true;
}
