#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

// The menu entry's actions: "Record last preset" and "Open search"; and
// the recordings library, opened from the command line.
enum class DesktopAction { None, RecordLastPreset, OpenSearch, OpenLibrary };

// Gives the action to a Tonquill that runs already; true when one took it.
// Waits at most `timeoutMs` for its answer (used before this start shows
// anything).
bool HandToRunningInstance(QDBusConnection bus, DesktopAction action, int timeoutMs = 3000);

// Takes the actions of later starts, as io.github.tonquill.Tonquill on the
// session bus (the first Tonquill running gets the name).
class DesktopActionService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.tonquill.Tonquill")
public:
    static const QString kServiceName;
    static const QString kObjectPath;

    DesktopActionService(QDBusConnection bus, std::function<void(DesktopAction)> handler, QObject* parent = nullptr);
    ~DesktopActionService() override;

    void Register();
    void Unregister();

public slots:
    Q_SCRIPTABLE void RecordLastPreset();
    Q_SCRIPTABLE void OpenSearch();
    Q_SCRIPTABLE void OpenLibrary();

private:
    QDBusConnection m_bus;
    std::function<void(DesktopAction)> m_handler;
    bool m_registered = false;
    bool m_ownsName = false;
};
