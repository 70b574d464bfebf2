#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QIcon;
class QMenu;
class QSystemTrayIcon;

// The messages the notification area sends about its icon.
enum TrayMessage {
    kTrayLeftButtonDown = 513,
    kTrayLeftDoubleClick = 515,
    kTrayRightButtonUp = 517,
};

// The program's icon: a red recording lamp on a dark square.
QIcon TonquillIcon();

// The tip field of the icon record: 64 characters, the text (at most 63)
// then a zero character, padded with spaces.
constexpr int kTrayTipLength = 64;
QString TrayTipField(const QString& text);
// What the notification area shows of a tip field: the text before the zero.
QString TrayTipText(const QString& field);

// One icon in the notification area, driven through three operations on its
// record: add, modify, delete. Clicks arrive as Message.
class ITrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ITrayIcon() override = default;
    virtual bool Add(const QString& tipField, QMenu* menu) = 0;
    virtual bool Modify(const QString& tipField) = 0;
    virtual void Delete() = 0;
    // A notification area is there to hold the icon.
    virtual bool Available() const = 0;

signals:
    void Message(int message, const QPoint& screenPos);
};

// QSystemTrayIcon. The menu is the icon's context menu, which the
// notification area opens on a right click.
class QtTrayIcon : public ITrayIcon {
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject* parent = nullptr);
    ~QtTrayIcon() override;
    bool Add(const QString& tipField, QMenu* menu) override;
    bool Modify(const QString& tipField) override;
    void Delete() override;
    bool Available() const override;

private:
    QSystemTrayIcon* m_icon = nullptr;
};

// Keeps the record for tests and raises messages on request.
class FakeTrayIcon : public ITrayIcon {
    Q_OBJECT
public:
    using ITrayIcon::ITrayIcon;
    bool Add(const QString& tipField, QMenu* menu) override
    {
        ++adds;
        present = true;
        tip = tipField;
        this->menu = menu;
        return true;
    }
    bool Modify(const QString& tipField) override
    {
        ++modifies;
        tip = tipField;
        return present;
    }
    void Delete() override
    {
        ++deletes;
        present = false;
    }
    bool Available() const override { return available; }
    void send(int message) { emit Message(message, QPoint(10, 10)); }

    bool available = true;
    bool present = false;
    QString tip;
    QMenu* menu = nullptr;
    int adds = 0, modifies = 0, deletes = 0;
};
