#include "ui/controls/myslider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

MySlider::MySlider(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// ---- properties

void MySlider::setMinValue(qint32 minValue)
{
    // MaxValue must stay above it.
    m_min = std::min(minValue, std::numeric_limits<qint32>::max() - 1);
    if (m_value < m_min)
        m_value = m_min;
    if (m_max <= m_min)
        m_max = m_min + 1;
    update();
}

void MySlider::setMaxValue(qint32 maxValue)
{
    m_max = std::max(maxValue, m_min + 1);
    if (m_value > m_max)
        m_value = m_max;
    update();
}

void MySlider::setValue(qint32 value)
{
    applyValue(value);
}

void MySlider::applyValue(qint64 value)
{
    if (value == m_value)
        return;
    m_value = static_cast<qint32>(std::clamp<qint64>(value, m_min, m_max));
    update();
    emit Change(m_value);
}

void MySlider::setOrientation(qint32 orientation)
{
    m_orientation = orientation;
    m_dragging = false;
    m_hover = Part::None;
    setSizePolicy(isVertical() ? QSizePolicy::Fixed : QSizePolicy::Expanding,
                  isVertical() ? QSizePolicy::Expanding : QSizePolicy::Fixed);
    updateGeometry();
    update();
}

void MySlider::ReadProperties(const QVariantMap& bag)
{
    auto number = [&](const char* name, qint32 fallback) {
        bool ok = false;
        const qint32 n = bag.value(QLatin1String(name)).toInt(&ok);
        return ok ? n : fallback;
    };
    m_min = std::min(number("MinValue", 0), std::numeric_limits<qint32>::max() - 1);
    m_max = std::max(number("MaxValue", 100), m_min + 1);
    m_value = std::clamp(number("Value", 50), m_min, m_max);
    setOrientation(number("Orientation", Horizontal));
}

QVariantMap MySlider::WriteProperties() const
{
    QVariantMap bag;
    bag.insert(QStringLiteral("MinValue"), m_min);
    bag.insert(QStringLiteral("MaxValue"), m_max);
    bag.insert(QStringLiteral("Value"), m_value);
    bag.insert(QStringLiteral("Orientation"), m_orientation);
    return bag;
}

// ---- geometry

qint64 MySlider::RoundHalfEven(double x)
{
    const double lower = std::floor(x);
    const double rest = x - lower;
    qint64 n = static_cast<qint64>(lower);
    if (rest > 0.5 || (rest == 0.5 && (n % 2 != 0)))
        ++n;
    return n;
}

int MySlider::travel() const
{
    return std::max(0, length() - kThumbLength);
}

QRect MySlider::thumbRect() const
{
    const int room = travel();
    const double offset = room == 0 ? 0.0 : (double(m_value) - double(m_min)) / range() * room;
    const int start = int(std::lround(offset));
    return isVertical() ? QRect(0, start, width(), kThumbLength) : QRect(start, 0, kThumbLength, height());
}

QRect MySlider::partRect(Part part) const
{
    const int len = length();
    int start = 0;
    int size = 0;
    switch (part) {
    case Part::StartCap:
        size = std::min(kCapLength, len);
        break;
    case Part::Track:
        start = kCapLength;
        size = std::max(0, len - 2 * kCapLength);
        break;
    case Part::EndCap:
        start = std::max(0, len - kCapLength);
        size = len - start;
        break;
    case Part::Thumb:
        return thumbRect();
    case Part::None:
        return {};
    }
    return isVertical() ? QRect(0, start, width(), size) : QRect(start, 0, size, height());
}

MySlider::Part MySlider::partAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return Part::None;
    for (Part part : {Part::Thumb, Part::StartCap, Part::EndCap, Part::Track}) {
        if (partRect(part).contains(pos))
            return part;
    }
    return Part::None;
}

QSize MySlider::sizeHint() const
{
    return isVertical() ? QSize(20, 120) : QSize(120, 20);
}

QSize MySlider::minimumSizeHint() const
{
    const int shortest = 2 * kCapLength + kThumbLength;
    return isVertical() ? QSize(12, shortest) : QSize(shortest, 12);
}

// ---- mouse and keys

void MySlider::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        switch (partAt(pos)) {
        case Part::Thumb:
            m_dragging = true;
            m_lastPointer = along(pos);
            break;
        case Part::Track: {
            const int room = travel();
            const int p = along(pos) - kCapLength;
            if (room > 0)
                applyValue(static_cast<qint64>(std::floor(p * range() / room)) + m_min);
            break;
        }
        case Part::StartCap:
            applyValue(m_min);
            break;
        case Part::EndCap:
            applyValue(m_max);
            break;
        case Part::None:
            break;
        }
    }
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void MySlider::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_dragging) {
        const Part hover = partAt(pos);
        if (hover != m_hover) {
            m_hover = hover;
            update();
        }
        return;
    }
    const int pointer = along(pos);
    if (pointer == m_lastPointer)
        return;
    m_lastPointer = pointer;
    // The thumb's start edge comes under the pointer.
    const int room = travel();
    if (room == 0)
        return;
    const int offset = std::clamp(pointer, 0, room);
    applyValue(RoundHalfEven(offset * range() / room + m_min));
}

void MySlider::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        update();
    }
    emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void MySlider::leaveEvent(QEvent*)
{
    if (m_hover != Part::None) {
        m_hover = Part::None;
        update();
    }
}

void MySlider::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        applyValue(qint64(m_value) - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        applyValue(qint64(m_value) + 1);
        break;
    default:
        emit Keypress();
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit Keypress();
}

// ---- drawing

void MySlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool vertical = isVertical();
    const QRectF whole = rect();
    const double cross = vertical ? whole.width() : whole.height();
    const double groove = std::max(3.0, std::round(cross / 5));
    const double mid = cross / 2;

    auto along = [&](double start, double size, double thickness) {
        return vertical ? QRectF(mid - thickness / 2, start, thickness, size)
                        : QRectF(start, mid - thickness / 2, size, thickness);
    };

    // The track: a sunken groove between the caps.
    const QRect track = partRect(Part::Track);
    const double trackStart = vertical ? track.top() : track.left();
    const double trackSize = vertical ? track.height() : track.width();
    QRectF grooveRect = along(trackStart - 1, trackSize + 2, groove);
    QLinearGradient sunk(grooveRect.topLeft(), vertical ? grooveRect.topRight() : grooveRect.bottomLeft());
    sunk.setColorAt(0, QColor(0x4a, 0x55, 0x63));
    sunk.setColorAt(1, QColor(0xa9, 0xb4, 0xc2));
    p.setPen(Qt::NoPen);
    p.setBrush(sunk);
    p.drawRoundedRect(grooveRect, groove / 2, groove / 2);

    // The end caps: short bars that stop the groove.
    const QColor capColor(0x33, 0x4d, 0x6e);
    const double capThickness = std::min(cross - 2, groove * 3);
    for (Part cap : {Part::StartCap, Part::EndCap}) {
        const QRect r = partRect(cap);
        const double centre = vertical ? r.center().y() + 0.5 : r.center().x() + 0.5;
        p.setBrush(capColor);
        p.drawRoundedRect(along(centre - 1.5, 3, capThickness), 1, 1);
    }

    // The thumb.
    const QRectF thumb = QRectF(thumbRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF knob = vertical ? QRectF(thumb.left() + 1, thumb.top(), thumb.width() - 2, thumb.height())
                                 : QRectF(thumb.left(), thumb.top() + 1, thumb.width(), thumb.height() - 2);
    const bool lit = m_dragging || m_hover == Part::Thumb;
    QLinearGradient face(knob.topLeft(), vertical ? knob.topRight() : knob.bottomLeft());
    face.setColorAt(0, lit ? QColor(0x8c, 0xc4, 0xff) : QColor(0x6a, 0xa8, 0xec));
    face.setColorAt(1, lit ? QColor(0x1f, 0x78, 0xd6) : QColor(0x00, 0x60, 0xb8));
    p.setBrush(face);
    p.setPen(QPen(hasFocus() ? QColor(0x0b, 0x24, 0x44) : QColor(0x1b, 0x3d, 0x66), 1));
    p.drawRoundedRect(knob, 3, 3);
    // Grip lines across the thumb.
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    const QPointF c = knob.center();
    for (int i = -1; i <= 1; ++i) {
        if (vertical)
            p.drawLine(QPointF(c.x() - knob.width() / 4, c.y() + 2.5 * i),
                       QPointF(c.x() + knob.width() / 4, c.y() + 2.5 * i));
        else
            p.drawLine(QPointF(c.x() + 2.5 * i, c.y() - knob.height() / 4),
                       QPointF(c.x() + 2.5 * i, c.y() + knob.height() / 4));
    }
}
