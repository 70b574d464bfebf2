#pragma once

#include <QObject>
#include <functional>

// SIGUSR1 turned into a call on the event loop: `act` runs there each time
// the program is sent the signal, for as long as `owner` lives.
void OnUserSignal(QObject* owner, std::function<void()> act);
