#include "ui/controls/resize.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

bool isPlainContainer(const QWidget* w)
{
    const QMetaObject* meta = w->metaObject();
    const bool plain =
        meta == &QWidget::staticMetaObject || meta == &QFrame::staticMetaObject || meta == &QGroupBox::staticMetaObject;
    return plain && w->layout() == nullptr;
}

} // namespace

Resize::Resize(QWidget* parentWindow) : QObject(parentWindow), m_parent(parentWindow)
{
    if (m_parent)
        m_parent->installEventFilter(this);
    Parent_Load();
}

void Resize::Parent_Load()
{
    // The next resize records the layout.
    m_baseWidth = 0;
}

bool Resize::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        Parent_Resize();
    return QObject::eventFilter(watched, event);
}

void Resize::Parent_Resize()
{
    if (m_baseWidth == 0)
        record();
    else
        Refresh();
}

void Resize::record()
{
    m_baseWidth = m_parent->width();
    m_baseHeight = m_parent->height();
    m_controls.clear();
    if (m_parent->layout() == nullptr)
        recordChildren(m_parent);
}

void Resize::recordChildren(QWidget* container)
{
    const auto children = container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : children) {
        if (w->isWindow())
            continue; // dialogs and pop-ups are not controls of this window
        Recorded r;
        r.control = w;
        const QRect g = w->geometry();
        r.left = float(g.x());
        r.top = float(g.y());
        r.width = float(g.width());
        r.height = float(g.height());
        const QFont f = w->font();
        if (f.pointSizeF() > 0) {
            r.fontSize = qint16(std::lround(f.pointSizeF()));
        } else if (f.pixelSize() > 0) {
            r.fontSize = qint16(f.pixelSize());
            r.pixelFont = true;
        }
        m_controls.append(r);
        if (isPlainContainer(w))
            recordChildren(w);
    }
}

void Resize::Refresh()
{
    if (m_noResize || !m_parent || m_baseWidth <= 0 || m_baseHeight <= 0)
        return;
    const double rx = double(m_parent->width()) / m_baseWidth;
    const double ry = double(m_parent->height()) / m_baseHeight;
    const double rf = std::min(rx, ry);
    for (const Recorded& r : m_controls) {
        QWidget* w = r.control.data();
        if (!w)
            continue; // gone since it was recorded
        if (r.fontSize > 0) {
            QFont f = w->font();
            const double size = std::max(1.0, r.fontSize * rf);
            if (r.pixelFont)
                f.setPixelSize(std::max(1, int(std::lround(size))));
            else
                f.setPointSizeF(size);
            if (f != w->font())
                w->setFont(f);
        }
        const int left = int(std::lround(r.left * rx));
        const int top = int(std::lround(r.top * ry));
        const int width = int(std::lround(r.width * rx));
        const int height = int(std::lround(r.height * ry));
        w->setGeometry(left, top, std::max(0, width), std::max(0, height));
    }
}
