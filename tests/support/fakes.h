#pragma once

// Doubles of the services the core reaches: they keep what they were asked.

#include "platform/messages.h"
#include "platform/sleeper.h"
#include "recorder/recorderhost.h"

#include <QList>
#include <QStringList>
#include <functional>

// Keeps every message for the tests to read.
class RecordingMessageService : public IMessageService {
public:
    void Raise(const Message& message, std::function<void()> dismissed) override
    {
        raised.append(message);
        messages.append(message.text);
        if (message.kind == MessageKind::Exclamation)
            exclamations.append(message.text);
        if (dismissed && holdDismissals)
            held.append(std::move(dismissed));
        else if (dismissed)
            dismissed();
    }
    QList<Message> raised;
    bool holdDismissals = false;       // keep the follow-ups, as if the user had not yet closed the boxes
    QList<std::function<void()>> held; // ... here, in order
    QStringList messages;
    QStringList exclamations; // the messages shown with the exclamation icon
};

// Counts the deliberate blocks instead of blocking.
class CountingSleeper : public ISleeper {
public:
    void Sleep(int milliseconds) override
    {
        total += milliseconds;
        ++calls;
    }
    long long total = 0;
    int calls = 0;
};

class NullRecorderHost : public IRecorderHost {
public:
    void UnloadWindows() override {}
    void InstallAssociations() override {}
    void UninstallAssociations() override {}
};
