#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>

class QObject;

// Asks the bus for a well-known name without queueing for it and without
// waiting: `done` learns, while `context` lives, whether the name is ours.
void RequestBusName(QDBusConnection& bus, const QString& name, QObject* context, std::function<void(bool owned)> done);
// Gives a name back (without waiting).
void ReleaseBusName(QDBusConnection& bus, const QString& name);
