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
    std::tie(Label1, txtTimeTask) = row("Label1", QStringLiteral("Time:"), "txtTimeTask", QStringLiteral("13:12"), 0);
    std::tie(Label2, txtDateofMonthTask) =
        row("Label2", QStringLiteral("Date:"), "txtDateofMonthTask", QStringLiteral("02/14/2005"), 1);
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
        if (createTask(name, Path, CMD, DateSt, TimeSt)) {
            m_deps.messages->ShowMessage(QStringLiteral("Added Scheduled Task"));
            return;
        }
        m_deps.messages->ShowExclamation(kTaskExists);
    }
}

bool frmRecord::createTask(const QString& name, const QString& Path, const QString& CMD, const QString& DateSt,
                           const QString& TimeSt)
{
    ITaskScheduler* scheduler = m_deps.scheduler;
    if (!scheduler)
        return false;
    ScheduledTask task;
    if (!scheduler->NewTask(name, task))
        return false;
    task.program = Path;
    task.workingDirectory = Path.left(Path.lastIndexOf(QLatin1Char('/')) + 1);
    task.parameters = CMD;
    task.creator = QStringLiteral("Tonquill");
    task.flags = 8193;

    const auto date = ParseTaskDate(DateSt, QLocale());
    const auto time = ParseTaskTime(TimeSt, QLocale());
    if (!date || !time)
        return false;
    task.trigger.startDate = *date;
    task.trigger.startTime = *time;
    task.trigger.settingA = 1;
    task.trigger.settingB = 1;
    task.hasTrigger = true;

    task.account = qEnvironmentVariable("USERNAME", qEnvironmentVariable("USER"));
    if (!scheduler->Store(task))
        return false;

    const auto stored = scheduler->Find(name);
    if (!stored)
        return false;
    if (m_deps.taskDialog) {
        m_deps.taskDialog(this, *scheduler, *stored);
    } else {
        frmTaskProperties dialog(*scheduler, *stored, this);
        dialog.exec();
    }
    return true;
}
