// The "Scheduler" group: the name prompt loop, the task's settings, the
// property dialog and the messages, against a scheduler in memory.
#include "panelfixture.h"
#include "platform/taskscheduler.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/frmtaskproperties.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <optional>

class ScheduleTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        scheduler.now = [] { return QDateTime(QDate(2026, 12, 1), QTime(9, 0)); };
        panelDeps.scheduler = &scheduler;
        panelDeps.programFolder = QStringLiteral("/opt/tonquill/bin");
        panelDeps.inputBox = [this](QWidget*, const QString& prompt, const QString& title, QString& text) {
            prompts.append(prompt + QLatin1Char('|') + title + QLatin1Char('|') + text);
            if (answers.isEmpty())
                return false;
            text = answers.takeFirst();
            return true;
        };
        panelDeps.taskDialog = [this](QWidget*, ITaskScheduler&, const ScheduledTask& task) {
            shownTasks.append(task.name);
            messagesAtDialog = messages.messages.size();
        };
        open();
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        PanelFixture::TearDown();
    }
    void schedule(const QString& date, const QString& time, const QString& argument)
    {
        Control<QLineEdit>(panel.get(), "txtDateofMonthTask")->setText(date);
        Control<QLineEdit>(panel.get(), "txtTimeTask")->setText(time);
        Control<QLineEdit>(panel.get(), "txtURLTask")->setText(argument);
        addTask();
    }
    // Clicks "Add Task" and waits until the prompt loop has ended: the
    // scheduler answers from the event loop, never inside the click.
    void addTask()
    {
        const bool named = !answers.isEmpty();
        Control<QToolButton>(panel.get(), "cmdAddTask")->click();
        EXPECT_EQ(panel->AddingTask(), named);
        ASSERT_TRUE(WaitUntil([this] { return !panel->AddingTask(); }, 20000));
    }

    MemoryTaskScheduler scheduler;
    QStringList answers, prompts, shownTasks;
    qsizetype messagesAtDialog = -1;
};

TEST_F(ScheduleTest, TaskStartsTheProgramWithTheArgumentExactlyAsTyped)
{
    const QString argument = QStringLiteral("/srv/My \"Station\" $(rm -rf ~) `id`; x\nnext.tvp");
    for (const QString& folder : {QStringLiteral("/opt/tonquill/bin"), QStringLiteral("/opt/tonquill/bin/")}) {
        scheduler.tasks.clear();
        shownTasks.clear();
        messages.messages.clear();
        panelDeps.programFolder = folder;
        open();
        answers = {QStringLiteral("Evening")};
        schedule(QStringLiteral("12/24/2026"), QStringLiteral("18:30"), argument);
        ASSERT_EQ(scheduler.tasks.size(), 1) << folder.toStdString();
        const ScheduledTask& t = scheduler.tasks.first();
        EXPECT_EQ(t.name, "Evening");
        EXPECT_EQ(t.program, "/opt/tonquill/bin/tonquill");
        EXPECT_EQ(t.workingDirectory, "/opt/tonquill/bin/");
        EXPECT_EQ(t.parameters, argument);
        EXPECT_EQ(t.creator, "Tonquill");
        EXPECT_EQ(t.flags, 8193);
        EXPECT_EQ(t.StartsAt(), QDateTime(QDate(2026, 12, 24), QTime(18, 30)));
        EXPECT_EQ(t.trigger.settingA, 1);
        EXPECT_EQ(t.trigger.settingB, 1);
        EXPECT_EQ(prompts.last(), "Enter TaskName :|Add Task|Task 1");
        // The property dialog comes first, the message after it.
        EXPECT_EQ(shownTasks, QStringList{"Evening"});
        EXPECT_EQ(messagesAtDialog, 0);
        EXPECT_EQ(messages.messages, QStringList{"Added Scheduled Task"});
        EXPECT_TRUE(messages.exclamations.isEmpty());
    }
}

// Each failure says what went wrong and what to do; only a taken name says
// the name is taken. The name prompt comes back after each one.
TEST_F(ScheduleTest, EachFailureSaysWhatToDoAndAsksAgainUntilCancelled)
{
    const QString taken = QStringLiteral("The task already exists. Please enter a new name");
    struct Case {
        const char* what;
        QString date, time;
        QStringList names;
        int tasksAfter;
        QStringList says; // a part of each warning, in order; "taken" for the exact text
        TaskFailure refuse = TaskFailure::None;
    } cases[] = {
        {"taken name, then a new one", "12/24/2026", "18:30", {"Taken", "Fresh"}, 2, {"taken"}},
        {"unreadable date, then cancel",
         "12/24/twenty",
         "18:30",
         {"A"},
         1,
         {"The date \"12/24/twenty\" cannot be read"}},
        {"30 February", "02/30/2027", "18:30", {"A"}, 1, {"\"02/30/2027\" cannot be read"}},
        {"a word for a date", "tomorrow", "18:30", {"A"}, 1, {"as in \"12/1/26\""}},
        {"unreadable time", "12/24/2026", "25:61", {"A"}, 1, {"The time \"25:61\" cannot be read"}},
        {"past date, asked twice", "11/30/2026", "18:30", {"A", "B"}, 1, {"already passed", "already passed"}},
        {"name with a slash, then a newline",
         "12/24/2026",
         "18:30",
         {"a/b", "a\nb"},
         1,
         {"cannot be empty or hold", "cannot be empty or hold"}},
        {"taken name and a bad date: the name first", "nonsense", "18:30", {"Taken"}, 1, {"taken"}},
        {"cancelled at once", "12/24/2026", "18:30", {}, 1, {}},
        {"at is missing", "12/24/2026", "18:30", {"A"}, 1, {"sudo apt install at"}, TaskFailure::NotInstalled},
        {"atd is stopped", "12/24/2026", "18:30", {"A"}, 1, {"systemctl enable --now atd"}, TaskFailure::NotRunning},
        {"the scheduler refuses", "12/24/2026", "18:30", {"A"}, 1, {"refused the task: refused"}, TaskFailure::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scheduler.tasks.clear();
        ScheduledTask existing;
        existing.name = QStringLiteral("Taken");
        existing.id = QStringLiteral("0");
        scheduler.tasks.append(existing);
        messages.messages.clear();
        messages.exclamations.clear();
        prompts.clear();
        answers = c.names;
        scheduler.refuse = c.refuse;
        schedule(c.date, c.time, QStringLiteral("x.tvp"));
        EXPECT_EQ(scheduler.tasks.size(), c.tasksAfter);
        ASSERT_EQ(messages.exclamations.size(), c.says.size());
        for (qsizetype i = 0; i < c.says.size(); ++i) {
            const QString& shown = messages.exclamations[i];
            if (c.says[i] == QLatin1String("taken"))
                EXPECT_EQ(shown, taken);
            else
                EXPECT_TRUE(shown.contains(c.says[i]) && shown != taken) << shown.toStdString();
        }
        EXPECT_EQ(prompts.size(), c.names.size() + (c.tasksAfter == 2 ? 0 : 1));
    }
}

// A warning does not wait in a loop of its own: the name is asked again once
// it has been closed, not while it is still on screen.
TEST_F(ScheduleTest, TheNameIsAskedAgainOnlyOnceTheWarningIsClosed)
{
    ScheduledTask existing;
    existing.name = QStringLiteral("Taken");
    scheduler.tasks = {existing};
    messages.holdDismissals = true;
    answers = {QStringLiteral("Taken"), QStringLiteral("Fresh")};
    Control<QLineEdit>(panel.get(), "txtDateofMonthTask")->setText(QStringLiteral("12/24/2026"));
    Control<QLineEdit>(panel.get(), "txtTimeTask")->setText(QStringLiteral("18:30"));
    Control<QToolButton>(panel.get(), "cmdAddTask")->click();
    ASSERT_TRUE(WaitUntil([this] { return messages.held.size() == 1; }));
    EXPECT_EQ(prompts.size(), 1);
    EXPECT_TRUE(panel->AddingTask());
    messages.held.takeFirst()();
    ASSERT_TRUE(WaitUntil([this] { return !panel->AddingTask(); }));
    EXPECT_EQ(prompts.size(), 2);
    EXPECT_EQ(scheduler.tasks.size(), 2);
    EXPECT_EQ(messages.messages.last(), QStringLiteral("Added Scheduled Task"));
}

// The group proposes a start five minutes ahead, in the locale's short
// forms, and a task made with it as proposed is stored.
TEST_F(ScheduleTest, ProposedStartIsFiveMinutesAheadAndAccepted)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany);
    struct Case {
        QLocale locale;
        QDateTime now;
    } cases[] = {
        {us, QDateTime(QDate(2026, 12, 1), QTime(9, 0))},
        {us, QDateTime(QDate(2026, 12, 31), QTime(23, 58))},
        {de, QDateTime(QDate(2027, 2, 28), QTime(13, 55))},
        {QLocale::c(), QDateTime(QDate(2026, 6, 30), QTime(0, 0))},
    };
    for (const Case& c : cases) {
        const QDateTime expected = c.now.addSecs(300);
        SCOPED_TRACE(c.locale.name().toStdString() + " " + expected.toString(Qt::ISODate).toStdString());
        QLocale::setDefault(c.locale);
        scheduler.now = [&c] { return c.now; };
        scheduler.tasks.clear();
        messages.messages.clear();
        open();
        const QString date = Control<QLineEdit>(panel.get(), "txtDateofMonthTask")->text(),
                      time = Control<QLineEdit>(panel.get(), "txtTimeTask")->text();
        EXPECT_EQ(date, c.locale.toString(expected.date(), QLocale::ShortFormat));
        EXPECT_EQ(time, c.locale.toString(expected.time(), QLocale::ShortFormat));
        EXPECT_EQ(ParseTaskDate(date, c.locale), expected.date());
        EXPECT_EQ(ParseTaskTime(time, c.locale), expected.time());
        answers = {QStringLiteral("Soon")};
        addTask();
        ASSERT_EQ(scheduler.tasks.size(), 1);
        EXPECT_EQ(scheduler.tasks.first().StartsAt(), expected);
        EXPECT_EQ(messages.messages, QStringList{"Added Scheduled Task"});
    }
}

TEST_F(ScheduleTest, PropertyDialogShowsTheTaskAndDeletesIt)
{
    ScheduledTask task;
    task.name = QStringLiteral("Night");
    task.program = QStringLiteral("/usr/bin/tonquill");
    task.parameters = QStringLiteral("a 'b'.tvp");
    task.trigger = {QDate(2026, 12, 2), QTime(1, 5), 1, 1};
    task.hasTrigger = true;
    std::optional<TaskReply> stored;
    scheduler.Store(task, [&stored](const TaskReply& r) { stored = r; });
    ASSERT_TRUE(WaitUntil([&stored] { return stored.has_value(); }));
    ASSERT_TRUE(stored->ok());
    frmTaskProperties dialog(scheduler, stored->task);
    const auto field = [&dialog](const char* name) { return Control<QLineEdit>(&dialog, name)->text(); };
    EXPECT_EQ(field("txtName"), "Night");
    EXPECT_EQ(field("txtProgram"), "/usr/bin/tonquill");
    EXPECT_EQ(field("txtArgument"), "a 'b'.tvp");
    EXPECT_TRUE(field("txtStart").contains("2026")) << field("txtStart").toStdString();
    auto* deleteTask = Control<QPushButton>(&dialog, "cmdDelete");
    auto* status = Control<QLabel>(&dialog, "lblStatus");
    deleteTask->click();
    ASSERT_TRUE(WaitUntil([&] { return !status->text().isEmpty(); }));
    EXPECT_EQ(status->text(), "The task was deleted.");
    EXPECT_TRUE(scheduler.tasks.isEmpty());
    EXPECT_FALSE(deleteTask->isEnabled());
    // A second delete of the same task is refused and may be tried again.
    frmTaskProperties again(scheduler, stored->task);
    deleteTask = Control<QPushButton>(&again, "cmdDelete");
    status = Control<QLabel>(&again, "lblStatus");
    deleteTask->click();
    EXPECT_FALSE(deleteTask->isEnabled()) << "pressed once while the scheduler answers";
    ASSERT_TRUE(WaitUntil([&] { return !status->text().isEmpty(); }));
    EXPECT_EQ(status->text(), "The task could not be deleted: no such task");
    EXPECT_TRUE(deleteTask->isEnabled());
}
