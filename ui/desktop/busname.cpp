#include "ui/desktop/busname.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>

namespace {
QDBusMessage busCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    return call;
}
// RequestName's flag and answers.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;
} // namespace

void RequestBusName(QDBusConnection& bus, const QString& name, QObject* context, std::function<void(bool owned)> done)
{
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(busCall(QStringLiteral("RequestName"), {name, kDoNotQueue})), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusPendingReply<uint> reply = *w;
                         done(!reply.isError() && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner));
                     });
}

void ReleaseBusName(QDBusConnection& bus, const QString& name)
{
    bus.asyncCall(busCall(QStringLiteral("ReleaseName"), {name}));
}
