// The control panel's "Scheduler" group: a task that starts the recorder
// with a playlist or preset at a set date and time.
#include "platform/messages.h"
#include "platform/taskscheduler.h"
#include "ui/panel/frmrecord.h"
#include "ui/panel/frmtaskproperties.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kTaskExists = QStringLiteral("The task already exists. Please enter a new name");

// What the user is told for a scheduler's failure: what went wrong and what
// to do about it.
QString FailureMessage(const ITaskScheduler& scheduler)
{
    switch (scheduler.LastFailure()) {
    case TaskFailure::NameTaken:
        return kTaskExists;
    case TaskFailure::BadName:
        return QStringLiteral("A task name cannot be empty or hold \"/\", \"\\\" or control characters. "
                              "Please enter a new name");
    case TaskFailure::NotInFuture:
        return QStringLiteral("The start date and time have already passed. Cancel, enter a later date or "
                              "time in the Scheduler group, then add the task again.");
    case TaskFailure::NotInstalled:
        return QStringLiteral("The task scheduler \"at\" is not installed, so no task can be added. Install it "
                              "(for example with \"sudo apt install at\"), then add the task again.");
    case TaskFailure::NotRunning:
        return QStringLiteral("The task scheduler atd is not running, so the task would never start. Start it "
                              "with \"sudo systemctl enable --now atd\", then add the task again.");
    case TaskFailure::None:
    case TaskFailure::Refused:
        break;
    }
    return QStringLiteral("The task scheduler refused the task: %1").arg(scheduler.LastError());
}

// A Date or Time box that cannot be read: the text, the form to use and an
// example in it.
QString UnreadableMessage(const char* field, const QString& text, const QString& example)
{
    return QStringLiteral("The %1 \"%2\" cannot be read. Cancel, enter the %1 in the Scheduler group as in "
                          "\"%3\", then add the task again.")
        .arg(QLatin1String(field), text, example);
}

// The start the group proposes: five minutes from now.
QDateTime ProposedStart(const ITaskScheduler* scheduler)
{
    const QDateTime now = scheduler ? scheduler->Now() : QDateTime::currentDateTime();
    return now.addSecs(5 * 60);
}

} // namespace

void frmRecord::buildSchedulerGroup()
{
    fraScheduler = new QGroupBox(QStringLiteral("Scheduler"), OtherFrame);
    fraScheduler->setObjectName(QStringLiteral("fraScheduler"));
    auto* grid = new QGridLayout(fraScheduler);
    auto row = [&](const char* labelName, const QString& caption, const char* editName, const QString& text, int at) {
        auto* l = new QLabel(caption, fraScheduler);
        l->setObjectName(QLatin1String(labelName));
        auto* e = new QLineEdit(text, fraScheduler);
        e->setObjectName(QLatin1String(editName));
        e->setAccessibleName(caption.trimmed());
        e->setCursorPosition(0);
        l->setBuddy(e);
        grid->addWidget(l, at, 0);
        grid->addWidget(e, at, 1);
        return std::pair{l, e};
    };
    const QDateTime start = ProposedStart(m_deps.scheduler);
    const QLocale locale;
    std::tie(Label1, txtTimeTask) =
        row("Label1", QStringLiteral("Time:"), "txtTimeTask", locale.toString(start.time(), QLocale::ShortFormat), 0);
    std::tie(Label2, txtDateofMonthTask) = row("Label2", QStringLiteral("Date:"), "txtDateofMonthTask",
                                               locale.toString(start.date(), QLocale::ShortFormat), 1);
    std::tie(Label3, txtURLTask) =
        row("Label3", QStringLiteral("Play :"), "txtURLTask",
            QStringLiteral("http://yp.shoutcast.com/sbin/shoutcast-playlist.pls?rn=6929&file=filename.pls"), 2);
    cmdAddTask = new QToolButton(fraScheduler);
    cmdAddTask->setObjectName(QStringLiteral("cmdAddTask"));
    cmdAddTask->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    cmdAddTask->setIconSize(QSize(24, 24));
    cmdAddTask->setToolTip(QStringLiteral("Add Task"));
    cmdAddTask->setAccessibleName(QStringLiteral("Add Task"));
    grid->addWidget(cmdAddTask, 0, 2, 3, 1, Qt::AlignCenter);
    connect(cmdAddTask, &QToolButton::clicked, this, &frmRecord::cmdAddTask_Click);
}

void frmRecord::cmdAddTask_Click()
{
    QString Path = m_deps.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_deps.programFolder;
    if (!Path.endsWith(QLatin1Char('/')))
        Path += QLatin1Char('/');
    Path += QStringLiteral("tonquill");
    QString CMD = txtURLTask->text();
    AddTask(Path, CMD, txtDateofMonthTask->text(), txtTimeTask->text());
}

void frmRecord::AddTask(QString& Path, QString& CMD, QString DateSt, QString TimeSt)
{
    // The name prompt comes back after every failure until the user
    // cancels it or the task is made.
    for (;;) {
        QString name = QStringLiteral("Task 1");
        const QString prompt = QStringLiteral("Enter TaskName :");
        const QString title = QStringLiteral("Add Task");
        bool confirmed = false;
        if (m_deps.inputBox) {
            confirmed = m_deps.inputBox(this, prompt, title, name);
        } else {
            name = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, name, &confirmed);
        }
        if (!confirmed)
            return;
        const QString failure = createTask(name, Path, CMD, DateSt, TimeSt);
        if (failure.isEmpty()) {
            m_deps.messages->ShowMessage(QStringLiteral("Added Scheduled Task"));
            return;
        }
        m_deps.messages->ShowExclamation(failure);
    }
}

QString frmRecord::createTask(const QString& name, const QString& Path, const QString& CMD, const QString& DateSt,
                              const QString& TimeSt)
{
    ITaskScheduler* scheduler = m_deps.scheduler;
    if (!scheduler)
        return QStringLiteral("No task scheduler is available, so no task can be added.");
    ScheduledTask task;
    if (!scheduler->NewTask(name, task))
        return FailureMessage(*scheduler);
    task.program = Path;
    task.workingDirectory = Path.left(Path.lastIndexOf(QLatin1Char('/')) + 1);
    task.parameters = CMD;
    task.creator = QStringLiteral("Tonquill");
    task.flags = 8193;

    const QLocale locale;
    const QDateTime example = ProposedStart(scheduler);
    const auto date = ParseTaskDate(DateSt, locale);
    if (!date)
        return UnreadableMessage("date", DateSt, locale.toString(example.date(), QLocale::ShortFormat));
    const auto time = ParseTaskTime(TimeSt, locale);
    if (!time)
        return UnreadableMessage("time", TimeSt, locale.toString(example.time(), QLocale::ShortFormat));
    task.trigger.startDate = *date;
    task.trigger.startTime = *time;
    task.trigger.settingA = 1;
    task.trigger.settingB = 1;
    task.hasTrigger = true;

    task.account = qEnvironmentVariable("USERNAME", qEnvironmentVariable("USER"));
    if (!scheduler->Store(task))
        return FailureMessage(*scheduler);

    const auto stored = scheduler->Find(name);
    if (!stored)
        return FailureMessage(*scheduler);
    if (m_deps.taskDialog) {
        m_deps.taskDialog(this, *scheduler, *stored);
    } else {
        frmTaskProperties dialog(*scheduler, *stored, this);
        dialog.exec();
    }
    return QString();
}
