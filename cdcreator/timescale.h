#pragma once

#include <QLineF>
#include <QRectF>
#include <QWidget>

#include <array>

class QLabel;

// The disc capacity scale: a bar showing how much of a disc the queue fills,
// in minutes of audio (0..100) or in megabytes (0..1000), with 20 ticks, a
// frame and five captions under every fourth tick.
//
// Geometry is kept in twips, 15 to a pixel, so the layout is the same on any
// screen: the frame sits 10 twips inside the edges, the bar starts at (50, 50)
// and its full length W - 20 stands for the whole range. The bar keeps the
// share of the range it was given, so it follows every resize.
class TimeScale : public QWidget {
    Q_OBJECT
public:
    static constexpr double kTwipsPerPixel = 15.0;
    static constexpr int kTicks = 20;
    static constexpr int kCaptions = 6;

    explicit TimeScale(QWidget* parent = nullptr);

    void SetAudioMode();
    void SetDataMode();
    void SetDuration(double minutes);
    void SetSize(int megabytes);

    // Geometry in twips, for drawing and inspection.
    double scaleWidth() const { return width() * kTwipsPerPixel; }
    double scaleHeight() const { return height() * kTwipsPerPixel; }
    double barWidth() const { return m_barWidth; }
    QRectF barRect() const;
    QLineF tick(int i) const { return m_ticks.at(i); } // 1..20
    QLineF topBorder() const { return m_top; }
    QLineF leftBorder() const { return m_left; }
    QLineF bottomBorder() const { return m_bottom; }
    QLineF rightBorder() const { return m_right; }
    QLabel* caption(int i) const { return m_captions.at(i); } // 0..5
    QRectF captionRect(int i) const;                          // in twips

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetCaptions(int step, const QString& unit);
    void applyCaptionFont();
    void Layout();

    double m_fill = 0; // the bar's share of the whole range (1 = full; more is not clipped)
    double m_barWidth = 0;
    double m_barTop = 50;
    double m_barLeft = 50;
    double m_barHeight = 0;
    std::array<QLineF, kTicks + 1> m_ticks{};
    QLineF m_top, m_left, m_bottom, m_right;
    std::array<QLabel*, kCaptions> m_captions{};
};
