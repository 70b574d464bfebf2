#include "platform/atscheduler.h"

#include <QCoreApplication>
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

// What went wrong running `what`.
TaskReply failedRun(const QString& what, const CommandResult& r)
{
    if (!r.started)
        return TaskReply::Failed(TaskFailure::NotInstalled,
                                 QCoreApplication::translate("AtScheduler", "%1: at is not installed").arg(what));
    if (!r.finished)
        return TaskReply::Failed(TaskFailure::Refused,
                                 QCoreApplication::translate("AtScheduler", "%1: at did not answer").arg(what));
    return TaskReply::Failed(TaskFailure::Refused,
                             what + QStringLiteral(": ") + QString::fromLocal8Bit(r.err).trimmed());
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

void AtScheduler::run(const QString& program, const QStringList& arguments, const QByteArray& input, CommandDone done)
{
    m_runner.Start(&m_context, program, arguments, input, std::move(done));
}

void AtScheduler::answer(TaskDone done, const TaskReply& reply)
{
    QMetaObject::invokeMethod(
        &m_context, [done, reply] { done(reply); }, Qt::QueuedConnection);
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

void AtScheduler::Tasks(TasksDone done)
{
    run(QStringLiteral("atq"), {}, {}, [this, done](const CommandResult& list) {
        if (!list.ok()) {
            done(failedRun(QStringLiteral("atq"), list), {});
            return;
        }
        // "12\tTue Dec  8 14:30:00 2026 a user"
        QList<QByteArray> ids;
        for (const QByteArray& row : list.out.split('\n')) {
            const QByteArray id = row.split('\t').value(0).trimmed();
            bool number = false;
            id.toInt(&number);
            if (number)
                ids.append(id);
        }
        readJobs(ids, {}, done);
    });
}

void AtScheduler::readJobs(QList<QByteArray> ids, QList<ScheduledTask> found, TasksDone done)
{
    if (ids.isEmpty()) {
        done(TaskReply(), found);
        return;
    }
    const QByteArray id = ids.takeFirst();
    run(QStringLiteral("at"), {QStringLiteral("-c"), QString::fromLatin1(id)}, {},
        [this, id, ids, found, done](const CommandResult& job) mutable {
            // A job that fails to read has ended or was removed meanwhile.
            if (job.ok()) {
                if (auto task = ParseJob(job.out)) {
                    task->id = QString::fromLatin1(id);
                    found.append(*task);
                }
            }
            readJobs(ids, found, done);
        });
}

void AtScheduler::NewTask(const QString& name, TaskDone done)
{
    if (!IsValidTaskName(name)) {
        answer(done,
               TaskReply::Failed(TaskFailure::BadName,
                                 QCoreApplication::translate("AtScheduler", "\"%1\" cannot name a task").arg(name)));
        return;
    }
    lookUp(name, [name, done](const TaskReply& failure, const std::optional<ScheduledTask>& found) {
        TaskReply r = failure;
        if (found)
            r = TaskReply::Failed(TaskFailure::NameTaken,
                                  QCoreApplication::translate("AtScheduler", "a task named \"%1\" exists").arg(name));
        else if (r.ok())
            r.task.name = name;
        done(r);
    });
}

void AtScheduler::Store(const ScheduledTask& task, TaskDone done)
{
    const QDateTime start = task.StartsAt();
    if (!task.hasTrigger || !start.isValid()) {
        answer(done, TaskReply::Failed(TaskFailure::Refused,
                                       QCoreApplication::translate("AtScheduler", "the task has no start")));
        return;
    }
    // at counts in whole minutes.
    const QDateTime minute(start.date(), QTime(start.time().hour(), start.time().minute()));
    if (minute <= now()) {
        answer(done, TaskReply::Failed(TaskFailure::NotInFuture,
                                       QCoreApplication::translate("AtScheduler", "the start is not in the future")));
        return;
    }
    // Refused here too when another task took the name meanwhile.
    NewTask(task.name, [this, task, minute, done](const TaskReply& name) {
        if (name.ok())
            submit(task, minute, done);
        else
            done(name);
    });
}

void AtScheduler::submit(const ScheduledTask& task, const QDateTime& minute, TaskDone done)
{
    run(QStringLiteral("at"), {QStringLiteral("-t"), minute.toString(QStringLiteral("yyyyMMddHHmm"))}, JobScript(task),
        [this, task, done](const CommandResult& made) {
            const QRegularExpression jobLine(QStringLiteral("job (\\d+) at"));
            const auto match = jobLine.match(QString::fromLocal8Bit(made.err));
            if (!made.ok() || !match.hasMatch()) {
                done(failedRun(QStringLiteral("at"), made));
                return;
            }
            TaskReply stored;
            stored.task = task;
            stored.task.id = match.captured(1);
            // at queues the job even when atd is not running, but nothing
            // would ever start it.
            if (!made.err.contains("No atd running")) {
                done(stored);
                return;
            }
            run(QStringLiteral("atrm"), {stored.task.id}, {}, [done](const CommandResult&) {
                done(TaskReply::Failed(TaskFailure::NotRunning,
                                       QCoreApplication::translate("AtScheduler", "atd is not running")));
            });
        });
}

void AtScheduler::lookUp(const QString& name, LookedUp done)
{
    Tasks([name, done](const TaskReply& failure, const QList<ScheduledTask>& all) {
        for (const ScheduledTask& t : all) {
            if (t.name == name) {
                done(failure, t);
                return;
            }
        }
        done(failure, std::nullopt);
    });
}

void AtScheduler::Find(const QString& name, TaskDone done)
{
    lookUp(name, [name, done](const TaskReply& failure, const std::optional<ScheduledTask>& found) {
        TaskReply r = failure;
        if (found)
            r.task = *found;
        else if (r.ok())
            r = TaskReply::Failed(TaskFailure::Refused,
                                  QCoreApplication::translate("AtScheduler", "no task named \"%1\"").arg(name));
        done(r);
    });
}

void AtScheduler::Delete(const ScheduledTask& task, TaskDone done)
{
    if (task.id.isEmpty()) {
        answer(done, TaskReply::Failed(TaskFailure::Refused,
                                       QCoreApplication::translate("AtScheduler", "the task is not stored")));
        return;
    }
    run(QStringLiteral("atrm"), {task.id}, {},
        [done](const CommandResult& r) { done(r.ok() ? TaskReply() : failedRun(QStringLiteral("atrm"), r)); });
}
