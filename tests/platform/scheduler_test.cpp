// Reading the scheduler group's date and time texts, and the at jobs the
// scheduler writes and reads back (at itself answered by a script).
#include "platform/atscheduler.h"
#include "tests/support/eventwait.h"
#include "tests/support/qtprint.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(TaskDateTime, LocaleAndIsoTextsAndNothingElse)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany), c = QLocale::c();
    // The text, then what it reads as in ISO form ("" for nothing).
    struct Case { QLocale locale; const char* text; const char* date; const char* time; };
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

ScheduledTask evening(AtScheduler& s, const QString& name, const QString& argument)
{
    ScheduledTask t;
    if (!s.NewTask(name, t))
        return t;
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
    FakeAt at;
    AtScheduler scheduler{at};
};

TEST_F(AtJobs, TaskIsStoredReadBackAndRefusedUnderATakenName)
{
    ScheduledTask t = evening(scheduler, QStringLiteral("Evening: rock"), QStringLiteral("x.tvp"));
    ASSERT_TRUE(scheduler.Store(t)) << scheduler.LastError().toStdString();
    EXPECT_EQ(t.id, "7");
    EXPECT_TRUE(at.calls.contains("at -t 202612241830"));
    const auto found = scheduler.Find(QStringLiteral("Evening: rock"));
    ASSERT_TRUE(found);
    const auto settings = [](const ScheduledTask& k) {
        return QStringList{k.id, k.name, k.program, k.workingDirectory, k.parameters, k.creator,
                           QString::number(k.flags), k.StartsAt().toString(Qt::ISODate),
                           QString::number(k.trigger.settingA), QString::number(k.trigger.settingB), k.account};
    };
    EXPECT_EQ(settings(*found), settings(t));

    ScheduledTask again;
    EXPECT_FALSE(scheduler.NewTask(QStringLiteral("Evening: rock"), again));
    EXPECT_EQ(scheduler.LastFailure(), TaskFailure::NameTaken);
    EXPECT_FALSE(scheduler.NewTask(QStringLiteral("a/b"), again));
    EXPECT_EQ(scheduler.LastFailure(), TaskFailure::BadName);
    EXPECT_TRUE(scheduler.NewTask(QStringLiteral("Evening"), again));

    ASSERT_TRUE(scheduler.Delete(*found));
    EXPECT_TRUE(at.jobs.isEmpty());
    EXPECT_FALSE(scheduler.Find(QStringLiteral("Evening: rock")));
}

TEST_F(AtJobs, FailuresOfTheSchedulerAreReportedNeverQueued)
{
    ScheduledTask past = evening(scheduler, QStringLiteral("Past"), QStringLiteral("x.tvp"));
    past.trigger.startTime = QTime(18, 29);
    EXPECT_FALSE(scheduler.Store(past));
    EXPECT_EQ(scheduler.LastFailure(), TaskFailure::NotInFuture);
    EXPECT_TRUE(at.jobs.isEmpty());

    at.extraWarning = "Can't open /run/atd.pid to signal atd. No atd running?\n";
    ScheduledTask t = evening(scheduler, QStringLiteral("No daemon"), QStringLiteral("x.tvp"));
    EXPECT_FALSE(scheduler.Store(t));
    EXPECT_TRUE(at.jobs.isEmpty()) << "the job atd would never run is removed";
    EXPECT_EQ(scheduler.LastError(), "atd is not running");
    EXPECT_EQ(scheduler.LastFailure(), TaskFailure::NotRunning);

    at.installed = false;
    ScheduledTask none;
    EXPECT_FALSE(scheduler.NewTask(QStringLiteral("Any"), none));
    EXPECT_TRUE(scheduler.LastError().contains("not installed"));
    EXPECT_EQ(scheduler.LastFailure(), TaskFailure::NotInstalled);
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
        ScheduledTask t = evening(scheduler, QStringLiteral("T"), argument);
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

TEST(CommandRunner, MissingProgramAndTimeLimit)
{
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
