// The information switches of both programs, and that other arguments still
// go where they went before.
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <gtest/gtest.h>

namespace {

struct InfoCase {
    const char* program;
    QStringList args;
    int exitCode;
    QList<QByteArray> inOutput; // on standard output (or, for status 1, standard error)
};

} // namespace

TEST(CommandLine, HelpAndVersionAnswerAndOtherArgumentsDoNot)
{
    TempFolder home;
    const QList<QByteArray> tonquillUsage{"Usage:",
                                          "tonquill FILE.tvp -noop",
                                          "tonquill --record FILE...",
                                          "-installassc",
                                          "-uninstallassc",
                                          "--version",
                                          "TONQUILL_HEADLESS",
                                          "TONQUILL_HOME",
                                          "TONQUILL_CA_FILE",
                                          "TONQUILL_LIVE365_HOST",
                                          "TONQUILL_NO_PAUSES",
                                          "TONQUILL_LISTEN"};
    const QList<QByteArray> discwrightUsage{"Usage:", "--version", "DISCWRIGHT_IMAGE_DIR", "DISCWRIGHT_SCAN_DELAY_MS"};
    const QList<InfoCase> cases{
        {"tonquill", {QStringLiteral("--help")}, 0, tonquillUsage},
        {"tonquill", {QStringLiteral("-h")}, 0, tonquillUsage},
        {"tonquill", {QStringLiteral("--version")}, 0, {"tonquill 2.01\n"}},
        {"discwright", {QStringLiteral("--help")}, 0, discwrightUsage},
        {"discwright", {QStringLiteral("--version")}, 0, {"discwright 2.01\n"}},
        // Not the switch alone: the recorder takes it as a file to load.
        {"tonquill", {QStringLiteral("--help"), QStringLiteral("x")}, 1, {"This is not a supported filetype to load!"}},
        {"tonquill", {QStringLiteral("--helpme")}, 1, {"This is not a supported filetype to load!"}},
        {"tonquill",
         {QStringLiteral("--record")},
         1,
         {"Tonquill: Give one or more preset files (.tvp) or playlist files (.pls) after --record.\n"}},
        {"tonquill",
         {QStringLiteral("--record"), QStringLiteral("--help")},
         1,
         {"[--help] Tonquill: This is not a supported filetype to load!"}},
    };
    for (const InfoCase& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1 %2").arg(QLatin1String(c.program), c.args.join(QLatin1Char(' '))).toStdString());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TONQUILL_HEADLESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("TONQUILL_HOME"), home.path());
        process.setProcessEnvironment(env);
        process.start(BuildDir() + QStringLiteral("/app/") + QLatin1String(c.program), c.args);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QByteArray out = c.exitCode == 0 ? process.readAllStandardOutput() : process.readAllStandardError();
        for (const QByteArray& text : c.inOutput)
            EXPECT_TRUE(out.contains(text)) << text.constData() << " not in:\n" << out.constData();
        if (c.exitCode == 0 && c.inOutput.size() == 1)
            EXPECT_EQ(out, c.inOutput.first());
    }
}
