#include "platform/terminationsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int number)
{
    const char c = static_cast<char>(number);
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &c, 1);
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

bool TerminationSignals::Install()
{
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char c = 0;
        if (::read(g_pipe[0], &c, 1) == 1)
            emit Received(static_cast<unsigned char>(c));
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &sa, nullptr);
    return true;
}
