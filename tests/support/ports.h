#pragma once

#include <functional>

// Loopback ports for test servers. Unless told otherwise they lie in
// 20000..32767, below the range the kernel hands out on its own for outgoing
// connections; a port chosen there is only ever contested by another program
// that picked one the same way.

// A port on 127.0.0.1 that is bound but not listening: connecting to it is
// refused, and nobody else can take it while this object lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int port() const { return m_port; }  // 0 when none could be bound

private:
    int m_fd = -1;
    int m_port = 0;
};

// A port in lowest..highest that nothing is bound to at the moment of the
// call; 0 when none found. Whoever then listens on it must be ready to lose
// the race: prefer ListenOnFreePort.
int UnusedPort(int lowest = 20000, int highest = 32767);

// Calls `listen(port)` with unused ports until it returns true (the port was
// taken in between: it tries the next one). Returns the port it listened on,
// 0 after `attempts` failures.
int ListenOnFreePort(const std::function<bool(int port)>& listen, int attempts = 20);
