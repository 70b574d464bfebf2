#include "platform/terminationsignals.h"

#include "platform/usersignal.h"

#include <csignal>

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
}

bool TerminationSignals::Install()
{
    bool installed = true;
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        installed = OnSignals(this, {number}, [this, number] { emit Received(number); }) && installed;
    return installed;
}
