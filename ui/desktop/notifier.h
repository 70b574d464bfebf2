#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

// One desktop notification: its summary, its body (plain text) and, when
// set, the folder its "Open folder" action opens.
struct Notice {
    QString summary;
    QString body;
    QString folder;
    QString image; // a picture file shown with it (the song's cover); "" when none

    bool operator==(const Notice&) const = default;
};

namespace notices {
// "Saved": the song's title and the file's name, with "Open folder".
// `cover`: the cached copy of the song's cover, shown with it.
Notice SavedSong(const QString& title, const QString& path, bool wished = false, const QString& cover = QString());
// "Caught on <station>: <title>": a watched station is writing a wished
// song to `path`, with "Open folder".
Notice Caught(const QString& station, const QString& title, const QString& path);
// A lost stream is being taken up again, and reconnecting was given up.
Notice Reconnecting(const QString& station);
Notice GaveUp(const QString& station);
// Body text for a server that reads markup: &, < and > stand for themselves.
QString EscapeBody(const QString& text);
} // namespace notices

// Shows notices through org.freedesktop.Notifications without waiting for
// an answer. Without a notification service on the bus nothing is shown
// and nothing fails.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    // `openFolder` opens a folder in the desktop's file manager.
    DesktopNotifier(QDBusConnection bus, std::function<void(const QString& folder)> openFolder,
                    QObject* parent = nullptr);

    void Show(const Notice& notice);

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    void notify(const Notice& notice, bool markup);

    QDBusConnection m_bus;
    std::function<void(const QString&)> m_openFolder;
    std::map<uint, QString> m_folders; // the open notices that have a folder to open
};
