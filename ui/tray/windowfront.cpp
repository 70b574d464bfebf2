#include "ui/tray/windowfront.h"

#include <QApplication>
#include <QWidget>

QWidget* FindWindowByCaption(const QString& caption)
{
    QWidget* hidden = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (!w->isWindow() || w->windowTitle() != caption)
            continue;
        if (w->isVisible())
            return w;
        if (!hidden)
            hidden = w;
    }
    return hidden;
}

void BringWindowToFront(const QString& caption)
{
    QWidget* w = FindWindowByCaption(caption);
    if (!w)
        return;
    if (w->isMinimized())
        w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    w->raise();
    w->activateWindow();
}
