#pragma once

#include "tests/support/eventwait.h"
#include "ui/desktop/mediacontrols.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

// A notification service that keeps the calls.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        calls << summary + QLatin1Char('|') + body + QLatin1Char('|') + actions.join(QLatin1Char(','));
        return static_cast<uint>(calls.size());
    }
    QStringList GetCapabilities() { return capabilities; }

public:
    QStringList calls;
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};
};

class PropertiesSpy : public QObject {
    Q_OBJECT
public slots:
    void changed(const QString& interface, const QVariantMap& values, const QStringList&)
    {
        for (auto it = values.begin(); it != values.end(); ++it)
            seen << interface + QLatin1Char(' ') + it.key() + QLatin1Char('=') + it.value().toString();
    }

public:
    QStringList seen;
};

class SeekedSpy : public QObject {
    Q_OBJECT
public slots:
    void seeked(qlonglong position) { positions << position; }

public:
    QList<qlonglong> positions;
};

// A dbus-daemon of the test's own, with two connections to it ("service"
// and "client"); false when there is no dbus-daemon.
class TestBus {
public:
    bool Start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        m_daemon.start(daemon,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!WaitUntil([&] { return m_daemon.canReadLine(); }, 10000))
            return false;
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        service = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("svc")));
        client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("cli")));
        return service->isConnected() && client->isConnected();
    }
    // The bus goes away (its daemon ends).
    void Kill()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    // Serves `fake` as the desktop's notification service.
    bool ServeNotifications(FakeNotifications& fake)
    {
        return service->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                       QDBusConnection::ExportAllSlots) &&
               service->registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~TestBus()
    {
        service.reset();
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("svc"));
        QDBusConnection::disconnectFromBus(QStringLiteral("cli"));
        Kill();
    }

    std::unique_ptr<QDBusConnection> service, client;
    QString address; // for programs run on the bus (DBUS_SESSION_BUS_ADDRESS)

private:
    QProcess m_daemon;
};

class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "no dbus-daemon";
        ASSERT_TRUE(bus.Start());
        service = bus.service.get();
        client = bus.client.get();
    }
    static QDBusMessage playerCall(const QString& method, const QVariantList& args = {},
                                   const QString& interface = QStringLiteral("org.mpris.MediaPlayer2.Player"))
    {
        QDBusMessage m = QDBusMessage::createMethodCall(mpris::kServiceName, mpris::kObjectPath, interface, method);
        m.setArguments(args);
        return m;
    }

    TestBus bus;
    QDBusConnection* service = nullptr;
    QDBusConnection* client = nullptr;
};
