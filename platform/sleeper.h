#pragma once

// Deliberate blocks of the thread. Their lengths are named constants; tests
// install a sleeper that only counts.
class ISleeper {
public:
    virtual ~ISleeper() = default;
    virtual void Sleep(int milliseconds) = 0;
};

class ThreadSleeper : public ISleeper {
public:
    void Sleep(int milliseconds) override;
};
