#include "ui/desktop/notifier.h"

#include "ui/desktop/mediacontrols.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kOpenFolder = QStringLiteral("open-folder");
} // namespace

namespace notices {

QString EscapeBody(const QString& text)
{
    return text.toHtmlEscaped();
}

Notice SavedSong(const QString& title, const QString& path, bool wished, const QString& cover)
{
    const QFileInfo file(path);
    // A song on the wish list is marked with a star before its title.
    const QString mark = wished ? QStringLiteral("\u2605 ") : QString();
    return {DesktopNotifier::tr("Saved"),
            mark + mpris::CleanText(title) + QLatin1Char('\n') + mpris::CleanText(file.fileName()), file.absolutePath(),
            cover};
}

Notice Caught(const QString& station, const QString& title, const QString& path)
{
    const QFileInfo file(path);
    return {DesktopNotifier::tr("Caught on %1: %2").arg(mpris::CleanText(station), mpris::CleanText(title)),
            mpris::CleanText(file.fileName()), path.isEmpty() ? QString() : file.absolutePath()};
}

Notice Reconnecting(const QString& station)
{
    return {DesktopNotifier::tr("Reconnecting"),
            DesktopNotifier::tr("The stream of %1 was lost; Tonquill is reconnecting.").arg(mpris::CleanText(station)),
            QString()};
}

Notice GaveUp(const QString& station)
{
    return {DesktopNotifier::tr("Recording ended"),
            DesktopNotifier::tr("Network errors have interrupted successful recording of %1!")
                .arg(mpris::CleanText(station)),
            QString()};
}

} // namespace notices

DesktopNotifier::DesktopNotifier(QDBusConnection bus, std::function<void(const QString&)> openFolder, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_openFolder(std::move(openFolder))
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

// The server is asked what it does first: a body it reads as markup gets
// its &, < and > escaped, one it shows as it is does not. Without a server
// the question fails and nothing more is sent.
void DesktopNotifier::Show(const Notice& notice)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"));
    // Nothing asks for a server to be started.
    ask.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, notice](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> capabilities = *w;
        if (!capabilities.isError())
            notify(notice, capabilities.value().contains(QStringLiteral("body-markup")));
    });
}

void DesktopNotifier::notify(const Notice& notice, bool markup)
{
    QStringList actions;
    if (!notice.folder.isEmpty())
        actions << kOpenFolder << tr("Open folder");
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("io.github.tonquill.Tonquill"));
    if (!notice.image.isEmpty())
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(notice.image).toString());
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Tonquill") << 0u << QStringLiteral("tonquill") << notice.summary
         << (markup ? notices::EscapeBody(notice.body) : notice.body) << actions << hints << -1;
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder = notice.folder](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                if (!reply.isError() && !folder.isEmpty())
                    m_folders[reply.value()] = folder;
            });
}

void DesktopNotifier::onActionInvoked(uint id, const QString& action)
{
    const auto it = m_folders.find(id);
    if (it == m_folders.end() || action != kOpenFolder)
        return;
    if (m_openFolder)
        m_openFolder(it->second);
}

void DesktopNotifier::onClosed(uint id, uint)
{
    m_folders.erase(id);
}
