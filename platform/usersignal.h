#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>

// Signals turned into calls on the event loop: `act` runs there each time the
// program is sent one of `which`, for as long as `owner` lives. The
// handler only writes a byte to a socket pair; everything else happens on
// the loop. Calls for the same signals share one pair.
// False when the socket pair cannot be made.
bool OnSignals(QObject* owner, std::initializer_list<int> which, std::function<void()> act);

// SIGUSR1, as OnSignals.
void OnUserSignal(QObject* owner, std::function<void()> act);
