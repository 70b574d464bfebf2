#include "platform/usersignal.h"

#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// For each signal, the socket pair its handler writes to.
std::array<std::array<int, 2>, 65> g_pipes = [] {
    std::array<std::array<int, 2>, 65> pipes{};
    for (auto& p : pipes)
        p = {-1, -1};
    return pipes;
}();

void onSignal(int sig)
{
    const char c = 1;
    if (sig >= 0 && sig < int(g_pipes.size())) [[maybe_unused]]
        const auto n = ::write(g_pipes[size_t(sig)][1], &c, 1);
}
} // namespace

bool OnSignals(QObject* owner, std::initializer_list<int> which, std::function<void()> act)
{
    if (which.size() == 0 || *which.begin() < 0 || *which.begin() >= int(g_pipes.size()))
        return false;
    std::array<int, 2>& pipe = g_pipes[size_t(*which.begin())];
    if (pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipe.data()) != 0)
        return false;
    const int readEnd = pipe[0];
    auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [readEnd, act = std::move(act)] {
        char c = 0;
        if (::read(readEnd, &c, 1) == 1)
            act();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : which) {
        if (sig < 0 || sig >= int(g_pipes.size()))
            continue;
        g_pipes[size_t(sig)] = pipe;
        sigaction(sig, &sa, nullptr);
    }
    return true;
}

void OnUserSignal(QObject* owner, std::function<void()> act)
{
    OnSignals(owner, {SIGUSR1}, std::move(act));
}
