// The control panel's "Scheduler" group: a task that starts the recorder
// with a playlist or preset at a set date and time.
#include "platform/messages.h"
#include "platform/taskscheduler.h"
#include "ui/panel/frmrecord.h"
#include "ui/panel/frmtaskproperties.h"
#include "ui_otherpage.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>

namespace {

const char* const kTaskExists = QT_TRANSLATE_NOOP("frmRecord", "The task already exists. Please enter a new name");

// What the user is told for a scheduler's failure: what went wrong and what
// to do about it.
QString FailureMessage(const TaskReply& reply)
{
    switch (reply.failure) {
    case TaskFailure::NameTaken:
        return QCoreApplication::translate("frmRecord", kTaskExists);
    case TaskFailure::BadName:
        return QCoreApplication::translate("frmRecord",
                                           "A task name cannot be empty or hold \"/\", \"\\\" or control characters. "
                                           "Please enter a new name");
    case TaskFailure::NotInFuture:
        return QCoreApplication::translate("frmRecord",
                                           "The start date and time have already passed. Cancel, enter a later date or "
                                           "time in the Scheduler group, then add the task again.");
    case TaskFailure::NotInstalled:
        return QCoreApplication::translate(
            "frmRecord", "The task scheduler \"at\" is not installed, so no task can be added. Install it "
                         "(for example with \"sudo apt install at\"), then add the task again.");
    case TaskFailure::NotRunning:
        return QCoreApplication::translate(
            "frmRecord", "The task scheduler atd is not running, so the task would never start. Start it "
                         "with \"sudo systemctl enable --now atd\", then add the task again.");
    case TaskFailure::None:
    case TaskFailure::Refused:
        break;
    }
    return QCoreApplication::translate("frmRecord", "The task scheduler refused the task: %1").arg(reply.error);
}

// A Date or Time box that cannot be read: the text, the form to use and an
// example in it.
QString UnreadableMessage(const char* field, const QString& text, const QString& example)
{
    return QCoreApplication::translate(
               "frmRecord", "The %1 \"%2\" cannot be read. Cancel, enter the %1 in the Scheduler group as in "
                            "\"%3\", then add the task again.")
        .arg(QCoreApplication::translate("frmRecord", field), text, example);
}

// The start the group proposes: five minutes from now.
QDateTime ProposedStart(const ITaskScheduler* scheduler)
{
    const QDateTime now = scheduler ? scheduler->Now() : QDateTime::currentDateTime();
    return now.addSecs(5 * 60);
}

} // namespace

void frmRecord::proposeTask()
{
    const QDateTime start = ProposedStart(m_deps.scheduler);
    const QLocale locale;
    m_other->txtTimeTask->setText(locale.toString(start.time(), QLocale::ShortFormat));
    m_other->txtDateofMonthTask->setText(locale.toString(start.date(), QLocale::ShortFormat));
    for (QLineEdit* box : {m_other->txtTimeTask, m_other->txtDateofMonthTask})
        box->setCursorPosition(0);
}

void frmRecord::cmdAddTask_Click()
{
    QString Path = m_deps.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_deps.programFolder;
    if (!Path.endsWith(QLatin1Char('/')))
        Path += QLatin1Char('/');
    Path += QStringLiteral("tonquill");
    QString CMD = m_other->txtURLTask->text();
    AddTask(Path, CMD, m_other->txtDateofMonthTask->text(), m_other->txtTimeTask->text());
}

void frmRecord::AddTask(QString& Path, QString& CMD, QString DateSt, QString TimeSt)
{
    // One task at a time: a click while the scheduler is still answering
    // is not a second task.
    if (m_addingTask)
        return;
    m_addingTask = true;
    askTaskName({Path, CMD, DateSt, TimeSt});
}

void frmRecord::askTaskName(const TaskRequest& request)
{
    QString name = tr("Task 1");
    const QString prompt = tr("Enter TaskName :");
    const QString title = tr("Add Task");
    bool confirmed = false;
    if (m_deps.inputBox) {
        confirmed = m_deps.inputBox(this, prompt, title, name);
    } else {
        name = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, name, &confirmed);
    }
    if (!confirmed) {
        m_addingTask = false;
        return;
    }
    // The answer goes on from a call of its own, not from inside the
    // scheduler's tools' handlers.
    QPointer<frmRecord> self(this);
    createTask(name, request, [self, request](const QString& failure, const ScheduledTask& stored) {
        if (self) {
            QMetaObject::invokeMethod(
                self, [self, request, failure, stored] { self->taskMade(request, failure, stored); },
                Qt::QueuedConnection);
        }
    });
}

void frmRecord::taskMade(const TaskRequest& request, const QString& failure, const ScheduledTask& stored)
{
    if (!failure.isEmpty()) {
        // The name is asked again once the message is closed.
        QPointer<frmRecord> self(this);
        m_deps.messages->ShowExclamation(failure, [self, request] {
            if (self)
                self->askTaskName(request);
        });
        return;
    }
    // The property dialog comes first, the message when it is closed.
    const auto added = [this] {
        m_addingTask = false;
        m_deps.messages->ShowMessage(tr("Added Scheduled Task"));
    };
    if (m_deps.taskDialog) {
        m_deps.taskDialog(this, *m_deps.scheduler, stored);
        added();
        return;
    }
    auto* dialog = new frmTaskProperties(*m_deps.scheduler, stored, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, added);
    dialog->open();
}

void frmRecord::createTask(const QString& name, const TaskRequest& request, TaskMade done)
{
    ITaskScheduler* scheduler = m_deps.scheduler;
    if (!scheduler) {
        done(tr("No task scheduler is available, so no task can be added."), {});
        return;
    }
    ScheduledTask task;
    task.name = name;
    task.program = request.path;
    task.workingDirectory = request.path.left(request.path.lastIndexOf(QLatin1Char('/')) + 1);
    task.parameters = request.command;
    task.creator = QStringLiteral("Tonquill");
    task.flags = 8193;
    task.account = qEnvironmentVariable("USERNAME", qEnvironmentVariable("USER"));

    // The name is checked first, the date and time after it.
    scheduler->NewTask(name, [scheduler, task, request, done](const TaskReply& begun) mutable {
        if (!begun.ok()) {
            done(FailureMessage(begun), {});
            return;
        }
        const QLocale locale;
        const QDateTime example = ProposedStart(scheduler);
        const auto date = ParseTaskDate(request.date, locale);
        if (!date) {
            done(UnreadableMessage(QT_TRANSLATE_NOOP("frmRecord", "date"), request.date,
                                   locale.toString(example.date(), QLocale::ShortFormat)),
                 {});
            return;
        }
        const auto time = ParseTaskTime(request.time, locale);
        if (!time) {
            done(UnreadableMessage(QT_TRANSLATE_NOOP("frmRecord", "time"), request.time,
                                   locale.toString(example.time(), QLocale::ShortFormat)),
                 {});
            return;
        }
        task.trigger = {*date, *time, 1, 1};
        task.hasTrigger = true;
        scheduler->Store(task, [scheduler, name = task.name, done](const TaskReply& stored) {
            if (!stored.ok()) {
                done(FailureMessage(stored), {});
                return;
            }
            scheduler->Find(name, [done](const TaskReply& found) {
                done(found.ok() ? QString() : FailureMessage(found), found.task);
            });
        });
    });
}
