#include "platform/commandrunner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    bool open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
    void closeEnd(int i)
    {
        if (fd[i] >= 0)
            ::close(fd[i]);
        fd[i] = -1;
    }
    ~Pipe()
    {
        closeEnd(0);
        closeEnd(1);
    }
};

} // namespace

CommandResult SystemCommandRunner::Run(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    CommandResult result;
    Pipe in, out, err;
    if (!in.open() || !out.open() || !err.open())
        return result;

    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    // The tool starts with no signal blocked and SIGPIPE at its default,
    // whatever this program has set for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0)
        return result;
    result.started = true;
    in.closeEnd(0);
    out.closeEnd(1);
    err.closeEnd(1);
    if (input.isEmpty())
        in.closeEnd(1);
    else
        ::fcntl(in.fd[1], F_SETFL, O_NONBLOCK);

    // A tool that dies before reading its input must not end this process.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);

    qsizetype written = 0;
    QElapsedTimer timer;
    timer.start();
    bool timedOut = false;
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        const qint64 left = m_timeoutMs - timer.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[3];
        int n = 0;
        int outIndex = -1, errIndex = -1, inIndex = -1;
        if (out.fd[0] >= 0) {
            fds[n] = {out.fd[0], POLLIN, 0};
            outIndex = n++;
        }
        if (err.fd[0] >= 0) {
            fds[n] = {err.fd[0], POLLIN, 0};
            errIndex = n++;
        }
        if (in.fd[1] >= 0) {
            fds[n] = {in.fd[1], POLLOUT, 0};
            inIndex = n++;
        }
        if (::poll(fds, n, static_cast<int>(left)) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        auto drain = [](Pipe& p, int index, pollfd* f, QByteArray& into) {
            if (index < 0 || !(f[index].revents & (POLLIN | POLLHUP | POLLERR)))
                return;
            char buffer[4096];
            const ssize_t got = ::read(p.fd[0], buffer, sizeof buffer);
            if (got > 0)
                into.append(buffer, got);
            else if (got == 0 || errno != EINTR)
                p.closeEnd(0);
        };
        drain(out, outIndex, fds, result.out);
        drain(err, errIndex, fds, result.err);
        if (inIndex >= 0 && (fds[inIndex].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = ::write(in.fd[1], input.constData() + written, input.size() - written);
            if (put > 0)
                written += put;
            if (put < 0 && errno != EAGAIN && errno != EINTR)
                in.closeEnd(1);
            if (written >= input.size())
                in.closeEnd(1);
        }
    }
    in.closeEnd(1);
    int status = 0;
    // A tool that closed its outputs may still be running: it gets what is
    // left of the time limit.
    while (!timedOut) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            break;
        if (timer.elapsed() >= m_timeoutMs)
            timedOut = true;
        else
            ::usleep(2000);
    }
    if (timedOut) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    result.finished = !timedOut && WIFEXITED(status);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void ICommandRunner::Start(QObject* context, const QString& program, const QStringList& arguments,
                           const QByteArray& input, CommandDone done)
{
    QMetaObject::invokeMethod(
        context, [this, program, arguments, input, done] { done(Run(program, arguments, input)); },
        Qt::QueuedConnection);
}

void SystemCommandRunner::Start(QObject* context, const QString& program, const QStringList& arguments,
                                const QByteArray& input, CommandDone done)
{
    // The process belongs to `context`: when that goes, the tool is ended
    // and nobody is called back.
    auto* process = new QProcess(context);
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    auto timedOut = std::make_shared<bool>(false);
    QObject::connect(limit, &QTimer::timeout, process, [process, timedOut] {
        *timedOut = true;
        process->kill();
    });
    QObject::connect(process, &QProcess::started, process, [process, input, limit, timeoutMs = m_timeoutMs] {
        limit->start(timeoutMs);
        if (!input.isEmpty())
            process->write(input);
        process->closeWriteChannel();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        done(CommandResult());
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, done, timedOut](int exitCode, QProcess::ExitStatus status) {
                         CommandResult r;
                         r.started = true;
                         r.finished = !*timedOut && status == QProcess::NormalExit;
                         r.exitCode = status == QProcess::NormalExit ? exitCode : -1;
                         r.out = process->readAllStandardOutput();
                         r.err = process->readAllStandardError();
                         process->deleteLater();
                         done(r);
                     });
    process->start(program, arguments);
}
