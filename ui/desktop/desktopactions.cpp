#include "ui/desktop/desktopactions.h"

#include "ui/desktop/busname.h"

#include <QDBusMessage>

const QString DesktopActionService::kServiceName = QStringLiteral("io.github.tonquill.Tonquill");
const QString DesktopActionService::kObjectPath = QStringLiteral("/io/github/tonquill/Tonquill");

bool HandToRunningInstance(QDBusConnection bus, DesktopAction action, int timeoutMs)
{
    if (action == DesktopAction::None || !bus.isConnected())
        return false;
    const QString method = action == DesktopAction::RecordLastPreset ? QStringLiteral("RecordLastPreset")
                           : action == DesktopAction::OpenSearch     ? QStringLiteral("OpenSearch")
                                                                     : QStringLiteral("OpenLibrary");
    QDBusMessage call =
        QDBusMessage::createMethodCall(DesktopActionService::kServiceName, DesktopActionService::kObjectPath,
                                       DesktopActionService::kServiceName, method);
    call.setAutoStartService(false);
    return bus.call(call, QDBus::Block, timeoutMs).type() == QDBusMessage::ReplyMessage;
}

DesktopActionService::DesktopActionService(QDBusConnection bus, std::function<void(DesktopAction)> handler,
                                           QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_handler(std::move(handler))
{
}

DesktopActionService::~DesktopActionService()
{
    Unregister();
}

void DesktopActionService::Register()
{
    if (m_registered || !m_bus.isConnected())
        return;
    m_registered = m_bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
    if (m_registered)
        RequestBusName(m_bus, kServiceName, this, [this](bool owned) { m_ownsName = owned && m_registered; });
}

void DesktopActionService::Unregister()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_bus.unregisterObject(kObjectPath);
    if (m_ownsName)
        ReleaseBusName(m_bus, kServiceName);
    m_ownsName = false;
}

void DesktopActionService::RecordLastPreset()
{
    m_handler(DesktopAction::RecordLastPreset);
}

void DesktopActionService::OpenSearch()
{
    m_handler(DesktopAction::OpenSearch);
}

void DesktopActionService::OpenLibrary()
{
    m_handler(DesktopAction::OpenLibrary);
}
