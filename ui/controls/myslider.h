#pragma once

#include <QVariantMap>
#include <QWidget>

// A horizontal or vertical slider with a draggable thumb. The minimum is at
// the left or the top. Its parts along the control: an end cap, the track, the
// other end cap; the thumb travels over the whole length.
class MySlider : public QWidget {
    Q_OBJECT
public:
    enum OrientationValue { Horizontal = 0, Vertical = 1 };
    enum class Part { None, StartCap, Track, EndCap, Thumb };

    static constexpr int kCapLength = 6;    // each end cap along the slider
    static constexpr int kThumbLength = 12; // the thumb along the slider

    explicit MySlider(QWidget* parent = nullptr);

    qint32 MinValue() const { return m_min; }
    // Pulls value up to it (no Change) and MaxValue above it.
    void setMinValue(qint32 minValue);
    qint32 MaxValue() const { return m_max; }
    // At least MinValue + 1; pulls value down to it (no Change).
    void setMaxValue(qint32 maxValue);
    qint32 value() const { return m_value; }
    // A new value is limited to MinValue..MaxValue and raises Change; the
    // current value raises nothing.
    void setValue(qint32 value);
    qint32 Orientation() const { return m_orientation; }
    void setOrientation(qint32 orientation); // 0 horizontal, 1 vertical
    bool isVertical() const { return m_orientation == Vertical; }

    void RefreshData() {}

    // Saved properties: "MinValue" (0), "MaxValue" (100), "Value" (50),
    // "Orientation" (0).
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

    // Geometry, in the control's pixels.
    int travel() const; // the thumb's room: length minus thumb length
    QRect thumbRect() const;
    QRect partRect(Part part) const;
    Part partAt(const QPoint& pos) const;

    // The nearest whole number, halves to the even one.
    static qint64 RoundHalfEven(double x);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Change(qint32 value);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Keypress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int length() const { return isVertical() ? height() : width(); }
    int along(const QPoint& pos) const { return isVertical() ? pos.y() : pos.x(); }
    double range() const { return double(m_max) - double(m_min); }
    void applyValue(qint64 value);

    qint32 m_min = 0;
    qint32 m_max = 100;
    qint32 m_value = 50;
    qint32 m_orientation = Horizontal;
    bool m_dragging = false;
    int m_lastPointer = 0; // the pointer's last position along the slider
    Part m_hover = Part::None;
};
