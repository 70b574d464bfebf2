// Reading the scheduler group's date and time texts, and the at jobs the
// scheduler writes and reads back (at itself answered by a script).
#include "platform/atscheduler.h"
#include "tests/support/eventwait.h"
#include "tests/support/qtprint.h"

#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

TEST(TaskDateTime, LocaleAndIsoTextsAndNothingElse)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany), c = QLocale::c();
    // The text, then what it reads as in ISO form ("" for nothing).
    struct Case {
        QLocale locale;
        const char* text;
        const char* date;
        const char* time;
    };
    // clang-format off
    const Case cases[] = {
        {us, "12/24/2026", "2026-12-24", ""},        {us, "12/24/26", "2026-12-24", ""},
        {us, "02/14/2005", "2005-02-14", ""},        {us, " 2026-12-24 ", "2026-12-24", ""},
        {us, "Thursday, December 24, 2026", "2026-12-24", ""},
        {de, "24.12.2026", "2026-12-24", ""},        {de, "24.12.26", "2026-12-24", ""},
        {c, "12/24/2026", "2026-12-24", ""},         {c, "24 Dec 2026", "2026-12-24", ""},
        {de, "12/24/2026", "", ""},                  {us, "02/30/2026", "", ""},
        {us, "2026-02-30", "", ""},                  {us, "13/01/2026", "", ""},
        {us, "tomorrow", "", ""},                    {us, "", "", ""},
        {us, "13:12", "", "13:12:00"},               {us, "1:12 PM", "", "13:12:00"},
        {us, "0:05", "", "00:05:00"},                {de, "13:12", "", "13:12:00"},
        {us, "13:05:30", "", "13:05:30"},            {us, "24:00", "", ""},
        {us, "12:60", "", ""},                       {us, "noon", "", ""},
    };
    // clang-format on
    for (const Case& k : cases) {
        const QString text = QString::fromUtf8(k.text);
        EXPECT_EQ(ParseTaskDate(text, k.locale).value_or(QDate()).toString(Qt::ISODate), k.date) << k.text;
        EXPECT_EQ(ParseTaskTime(text, k.locale).value_or(QTime()).toString(Qt::ISODate), k.time) << k.text;
    }
}

namespace {

// Plays at, atq and atrm: jobs live in a map; every call is recorded.
class FakeAt : public ICommandRunner {
public:
    CommandResult Run(const QString& program, const QStringList& args, const QByteArray& input) override
    {
        calls.append(program + QLatin1Char(' ') + args.join(QLatin1Char(' ')));
        CommandResult r;
        r.started = installed;
        r.finished = true;
        r.exitCode = 0;
        if (!installed)
            return r;
        if (program == QLatin1String("atq")) {
            for (auto it = jobs.cbegin(); it != jobs.cend(); ++it)
                r.out += QByteArray::number(it.key()) + "\tTue Dec 24 18:30:00 2026 a user\n";
        } else if (program == QLatin1String("at") && args.value(0) == QLatin1String("-c")) {
            r.out = "#!/bin/sh\n# atrun uid=0 gid=0\nHOME=/root; export HOME\n" + jobs.value(args.value(1).toInt());
        } else if (program == QLatin1String("at")) {
            jobs.insert(next, input);
            r.err = "warning: commands will be executed using /bin/sh\n" + extraWarning + "job " +
                    QByteArray::number(next++) + " at Thu Dec 24 18:30:00 2026\n";
        } else if (program == QLatin1String("atrm")) {
            r.exitCode = jobs.remove(args.value(0).toInt()) ? 0 : 1;
        }
        return r;
    }
    QMap<int, QByteArray> jobs;
    QStringList calls;
    QByteArray extraWarning;
    bool installed = true;
    int next = 7;
};

// Runs one operation of a scheduler and waits for its answer, which never
// comes inside the call itself.
TaskReply Await(const std::function<void(TaskDone)>& operation, int timeoutMs = 20000)
{
    auto reply = std::make_shared<std::optional<TaskReply>>();
    operation([reply](const TaskReply& r) { *reply = r; });
    EXPECT_FALSE(reply->has_value()) << "answered inside the call";
    EXPECT_TRUE(WaitUntil([reply] { return reply->has_value(); }, timeoutMs)) << "no answer";
    return reply->value_or(TaskReply::Failed(TaskFailure::Refused, QStringLiteral("no answer")));
}

ScheduledTask evening(const QString& name, const QString& argument)
{
    ScheduledTask t;
    t.name = name;
    t.program = QStringLiteral("/opt/tonquill/bin/tonquill");
    t.workingDirectory = QStringLiteral("/opt/tonquill/bin/");
    t.parameters = argument;
    t.creator = QStringLiteral("Tonquill");
    t.flags = 8193;
    t.trigger = {QDate(2026, 12, 24), QTime(18, 30), 1, 1};
    t.hasTrigger = true;
    t.account = QStringLiteral("user");
    return t;
}

} // namespace

class AtJobs : public ::testing::Test {
protected:
    void SetUp() override
    {
        scheduler.now = [] { return QDateTime(QDate(2026, 12, 24), QTime(18, 29, 59)); };
    }
    TaskReply newTask(const QString& name)
    {
        return Await([&](TaskDone done) { scheduler.NewTask(name, done); });
    }
    TaskReply store(const ScheduledTask& t)
    {
        return Await([&](TaskDone done) { scheduler.Store(t, done); });
    }
    TaskReply find(const QString& name)
    {
        return Await([&](TaskDone done) { scheduler.Find(name, done); });
    }
    FakeAt at;
    AtScheduler scheduler{at};
};

TEST_F(AtJobs, TaskIsStoredReadBackAndRefusedUnderATakenName)
{
    ASSERT_TRUE(newTask(QStringLiteral("Evening: rock")).ok());
    const TaskReply made = store(evening(QStringLiteral("Evening: rock"), QStringLiteral("x.tvp")));
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    const ScheduledTask& t = made.task;
    EXPECT_EQ(t.id, "7");
    EXPECT_TRUE(at.calls.contains("at -t 202612241830"));
    const TaskReply found = find(QStringLiteral("Evening: rock"));
    ASSERT_TRUE(found.ok());
    const auto settings = [](const ScheduledTask& k) {
        return QStringList{k.id,
                           k.name,
                           k.program,
                           k.workingDirectory,
                           k.parameters,
                           k.creator,
                           QString::number(k.flags),
                           k.StartsAt().toString(Qt::ISODate),
                           QString::number(k.trigger.settingA),
                           QString::number(k.trigger.settingB),
                           k.account};
    };
    EXPECT_EQ(settings(found.task), settings(t));

    EXPECT_EQ(newTask(QStringLiteral("Evening: rock")).failure, TaskFailure::NameTaken);
    EXPECT_EQ(newTask(QStringLiteral("a/b")).failure, TaskFailure::BadName);
    EXPECT_TRUE(newTask(QStringLiteral("Evening")).ok());

    ASSERT_TRUE(Await([&](TaskDone done) { scheduler.Delete(found.task, done); }).ok());
    EXPECT_TRUE(at.jobs.isEmpty());
    EXPECT_EQ(find(QStringLiteral("Evening: rock")).failure, TaskFailure::Refused);
}

TEST_F(AtJobs, FailuresOfTheSchedulerAreReportedNeverQueued)
{
    ScheduledTask past = evening(QStringLiteral("Past"), QStringLiteral("x.tvp"));
    past.trigger.startTime = QTime(18, 29);
    EXPECT_EQ(store(past).failure, TaskFailure::NotInFuture);
    EXPECT_TRUE(at.jobs.isEmpty());

    at.extraWarning = "Can't open /run/atd.pid to signal atd. No atd running?\n";
    const TaskReply stopped = store(evening(QStringLiteral("No daemon"), QStringLiteral("x.tvp")));
    EXPECT_TRUE(at.jobs.isEmpty()) << "the job atd would never run is removed";
    EXPECT_EQ(stopped.error, "atd is not running");
    EXPECT_EQ(stopped.failure, TaskFailure::NotRunning);

    at.installed = false;
    const TaskReply none = newTask(QStringLiteral("Any"));
    EXPECT_TRUE(none.error.contains("not installed"));
    EXPECT_EQ(none.failure, TaskFailure::NotInstalled);
}

// The real tools, played by scripts on the PATH: an at that takes 5 s to
// queue the job keeps nothing else waiting, and one that never answers is
// ended at the time limit.
TEST(AtTools, SlowAtNeverBlocksTheEventLoop)
{
    TempFolder dir;
    const auto tool = [&](const char* name, const QByteArray& body) {
        WriteAll(dir.file(QLatin1String(name)), "#!/bin/sh\n" + body);
        QFile::setPermissions(dir.file(QLatin1String(name)), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    tool("atq", "");
    tool("at", "cat > /dev/null\nif [ -n \"$FAKE_AT_HANG\" ]; then exec sleep 30; fi\n"
               "sleep 5\necho 'job 12 at Thu Dec 24 18:30:00 2026' >&2\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit() + ':' + path);

    SystemCommandRunner runner;
    AtScheduler scheduler(runner);
    scheduler.now = [] { return QDateTime(QDate(2026, 12, 24), QTime(18, 0)); };
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(50);
    int ticksAtAnswer = -1;
    const TaskReply made = Await([&](TaskDone done) {
        scheduler.Store(evening(QStringLiteral("Slow"), QStringLiteral("x.tvp")), [&, done](const TaskReply& r) {
            ticksAtAnswer = ticks;
            done(r);
        });
    });
    EXPECT_TRUE(made.ok()) << made.error.toStdString();
    EXPECT_EQ(made.task.id, "12");
    // 5 s of a 50 ms timer: about 100 ticks while at worked.
    EXPECT_GE(ticksAtAnswer, 20);

    SystemCommandRunner quick(300);
    AtScheduler hasty(quick);
    hasty.now = scheduler.now;
    qputenv("FAKE_AT_HANG", "1");
    const TaskReply hung = Await([&](TaskDone done) { hasty.Store(evening(QStringLiteral("Hung"), {}), done); });
    qunsetenv("FAKE_AT_HANG");
    qputenv("PATH", path);
    EXPECT_EQ(hung.failure, TaskFailure::Refused);
    EXPECT_EQ(hung.error, "at: at did not answer");
}

// The job's script, run by a real shell, gives the argument to the program
// as one word, byte for byte, whatever it holds.
TEST_F(AtJobs, ArgumentReachesTheProgramAsOneWordByteForByte)
{
    TempFolder dir;
    const QString program = dir.file(QStringLiteral("show args"));
    WriteAll(program, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" \"$(pwd)\"\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString marker = dir.file(QStringLiteral("ran"));
    const QStringList arguments = {
        QStringLiteral("it's \"quoted\""),
        QStringLiteral("$(touch %1)").arg(marker),
        QStringLiteral("`touch %1`; touch %1").arg(marker),
        QStringLiteral("line one\nline two\n# tonquill-task: x"),
        QStringLiteral("*  ${HOME} \\ ~"),
    };
    SystemCommandRunner shell;
    for (const QString& argument : arguments) {
        ScheduledTask t = evening(QStringLiteral("T"), argument);
        t.program = program;
        t.workingDirectory = dir.path();
        const CommandResult r = shell.Run(QStringLiteral("sh"), {}, AtScheduler::JobScript(t));
        ASSERT_TRUE(r.ok()) << r.err.toStdString();
        QString cwd = dir.path();
        cwd.chop(1);
        EXPECT_EQ(QString::fromUtf8(r.out),
                  QStringLiteral("1|") + argument + QLatin1Char('|') + cwd + QLatin1Char('|'));
        EXPECT_FALSE(QFile::exists(marker)) << argument.toStdString();
        const auto back = AtScheduler::ParseJob(AtScheduler::JobScript(t));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->parameters, argument);
        EXPECT_EQ(back->name, "T");
    }
}

// The same three runs, waited for and started without waiting.
TEST(CommandRunner, MissingProgramAndTimeLimit)
{
    struct Case {
        const char* program;
        QStringList arguments;
        QByteArray input;
        bool started, finished;
        qsizetype outSize;
    } cases[] = {
        {"tonquill-no-such-tool", {}, {}, false, false, 0},
        {"sleep", {QStringLiteral("30")}, {}, true, false, 0},
        {"cat", {}, QByteArray(200000, 'x'), true, true, 200000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        SystemCommandRunner quick(c.finished ? 10000 : 300);
        QObject context;
        std::optional<CommandResult> r;
        quick.Start(&context, QLatin1String(c.program), c.arguments, c.input, [&r](const CommandResult& k) { r = k; });
        EXPECT_FALSE(r);
        ASSERT_TRUE(WaitUntil([&r] { return r.has_value(); }, 20000));
        EXPECT_EQ(r->started, c.started);
        EXPECT_EQ(r->finished, c.finished);
        EXPECT_EQ(r->ok(), c.finished);
        EXPECT_EQ(r->out.size(), c.outSize);
    }

    SystemCommandRunner quick(300);
    EXPECT_FALSE(quick.Run(QStringLiteral("tonquill-no-such-tool"), {}).started);
    const CommandResult slow = quick.Run(QStringLiteral("sleep"), {QStringLiteral("30")});
    EXPECT_TRUE(slow.started);
    EXPECT_FALSE(slow.finished);
    // More input than a pipe holds, fed while the output is read.
    const CommandResult cat = SystemCommandRunner().Run(QStringLiteral("cat"), {}, QByteArray(200000, 'x'));
    EXPECT_TRUE(cat.ok());
    EXPECT_EQ(cat.out.size(), 200000);
}
