#include "app/serveengine.h"

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

} // namespace
