#include "tests/support/ports.h"

#include <QRandomGenerator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kBindAttempts = 200;

int randomPort(int lowest, int highest)
{
    return lowest + int(QRandomGenerator::global()->bounded(highest - lowest + 1));
}

// A TCP socket bound to 127.0.0.1:`port`, or -1.
int bindLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

RefusingPort::RefusingPort()
{
    for (int attempt = 0; attempt < kBindAttempts && m_fd < 0; ++attempt) {
        const int port = randomPort(20000, 32767);
        m_fd = bindLoopback(port);
        if (m_fd >= 0)
            m_port = port;
    }
}

RefusingPort::~RefusingPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int UnusedPort(int lowest, int highest)
{
    for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
        const int port = randomPort(lowest, highest);
        const int fd = bindLoopback(port);
        if (fd >= 0) {
            ::close(fd);
            return port;
        }
    }
    return 0;
}

int ListenOnFreePort(const std::function<bool(int port)>& listen, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const int port = UnusedPort();
        if (port != 0 && listen(port))
            return port;
    }
    return 0;
}
