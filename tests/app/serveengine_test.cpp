#include "app/serveengine.h"
#include "app/serverun.h"
#include "platform/folders.h"
#include "tests/support/eventwait.h"

#include <QHostAddress>
#include <gtest/gtest.h>

namespace {

// What the API calls a recording's state, from its status: an end first,
// then a pause, a reconnect, a connection not yet streaming.
TEST(ServeEngineTest, NamesTheStates)
{
    using C = ConnectionState;
    const struct Case {
        bool paused;
        C connection;
        bool reconnecting;
        bool watched;
        bool ended;
        int exitStatus;
        const char* state;
    } cases[] = {
        {false, C::Streaming, false, false, false, 0, "recording"},
        {false, C::Streaming, false, true, false, 0, "watching"},
        {true, C::Streaming, false, false, false, 0, "paused"},
        {true, C::Streaming, false, true, false, 0, "paused"},
        {false, C::WaitingToRetry, false, false, false, 0, "reconnecting"},
        {false, C::Connecting, true, false, false, 0, "reconnecting"},
        {false, C::Idle, false, false, false, 0, "connecting"},
        {false, C::FetchingPlaylist, false, true, false, 0, "connecting"},
        {false, C::AwaitingHeader, false, false, false, 0, "connecting"},
        {false, C::FailingOver, false, false, false, 0, "connecting"},
        {false, C::Stopped, false, false, true, 0, "stopped"},
        {true, C::Streaming, false, false, true, 0, "stopped"},
        {false, C::Stopped, false, false, true, 1, "failed"},
    };
    for (const Case& c : cases) {
        RecorderStatus status;
        status.blnPaused = c.paused;
        status.connection = c.connection;
        EXPECT_EQ(RecordingState(status, c.reconnecting, c.watched, c.ended, c.exitStatus), QLatin1String(c.state))
            << c.state << " paused=" << c.paused << " connection=" << int(c.connection);
    }
}

// Only loopback, or TLS, listens without a warning.
TEST(ServeEngineTest, WarnsWhereTheTokenCanBeRead)
{
    const struct Case {
        const char* address;
        bool tls;
        bool warned;
    } cases[] = {
        {"127.0.0.1", false, false}, {"127.8.9.1", false, false},  {"::1", false, false},
        {"0.0.0.0", false, true},    {"192.168.1.5", false, true}, {"::", false, true},
        {"0.0.0.0", true, false},    {"192.168.1.5", true, false},
    };
    for (const Case& c : cases) {
        const QString warning =
            ListenWarning(QHostAddress(QString::fromLatin1(c.address)), c.tls, QStringLiteral("x:1"));
        EXPECT_EQ(!warning.isEmpty(), c.warned) << c.address << " tls=" << c.tls;
        if (c.warned)
            EXPECT_TRUE(warning.contains(QLatin1String("x:1"))) << warning.toStdString();
    }
}

// Only an ended recording is forgotten: at once for the API, and its
// recorder and station leave the run from the event loop.
TEST(ServeEngineTest, ForgetsOnlyWhatHasEnded)
{
    TempFolder home;
    ProgramFolders::SetOverride(home.path());
    {
        SideBySideRun run(stderr);
        run.Start({}, {});
        ServeEngine engine(run);
        QString problem;
        // A preset that is not there ends the recording as it starts.
        const int id = engine.Start(
            {QStringLiteral("preset-x"), QStringLiteral("Gone"), QString(), home.file(QStringLiteral("missing.tvp"))},
            false, &problem);
        ASSERT_NE(id, 0) << problem.toStdString();
        engine.Forget(id); // not yet ended
        ASSERT_TRUE(engine.Recording(id));
        ASSERT_TRUE(WaitUntil([&] { return engine.Recording(id)->state == QLatin1String("failed"); }, 10000));

        engine.Forget(id);
        EXPECT_FALSE(engine.Recording(id));
        EXPECT_TRUE(engine.Recordings().isEmpty());
        EXPECT_TRUE(WaitUntil([&] { return !run.Recordings().Contains(id); }, 10000));
        RunPendingEvents();
        engine.Forget(id); // no more
        EXPECT_FALSE(engine.Recording(id));
    }
    ProgramFolders::SetOverride(QString());
}

} // namespace
