#include "ui/tray/trayicon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

QIcon TonquillIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(32, 32, 40));
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        p.setBrush(QColor(255, 0, 0));
        const double r = size * 0.3;
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), r, r);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString TrayTipField(const QString& text)
{
    QString field = text.left(kTrayTipLength - 1);
    field += QChar(0);
    return field.leftJustified(kTrayTipLength, QLatin1Char(' '));
}

QString TrayTipText(const QString& field)
{
    const qsizetype end = field.indexOf(QChar(0));
    return end < 0 ? field : field.left(end);
}

QtTrayIcon::QtTrayIcon(QObject* parent) : ITrayIcon(parent) {}

QtTrayIcon::~QtTrayIcon()
{
    Delete();
}

bool QtTrayIcon::Add(const QString& tipField, QMenu* menu)
{
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        m_icon->setIcon(TonquillIcon());
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            switch (reason) {
            case QSystemTrayIcon::Trigger: emit Message(kTrayLeftButtonDown, QCursor::pos()); break;
            case QSystemTrayIcon::DoubleClick: emit Message(kTrayLeftDoubleClick, QCursor::pos()); break;
            case QSystemTrayIcon::Context: emit Message(kTrayRightButtonUp, QCursor::pos()); break;
            default: break;
            }
        });
    }
    m_icon->setContextMenu(menu);
    m_icon->setToolTip(TrayTipText(tipField));
    m_icon->show();
    return true;
}

bool QtTrayIcon::Modify(const QString& tipField)
{
    if (!m_icon)
        return false;
    m_icon->setToolTip(TrayTipText(tipField));
    return true;
}

void QtTrayIcon::Delete()
{
    if (!m_icon)
        return;
    m_icon->hide();
    m_icon->deleteLater();
    m_icon = nullptr;
}

bool QtTrayIcon::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
