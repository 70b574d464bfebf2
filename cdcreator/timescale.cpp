#include "cdcreator/timescale.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace {

// The captions' font: a little smaller than the window's, but never below
// the desktop's smallest readable size.
QFont SmallFont(const QFont& normal)
{
    QFont font = normal;
    const double readable = QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont).pointSizeF();
    if (normal.pointSizeF() > 0)
        font.setPointSizeF(std::max(normal.pointSizeF() * 0.85, std::min(readable, normal.pointSizeF())));
    return font;
}

} // namespace

TimeScale::TimeScale(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int i = 0; i < kCaptions; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("LabelBar%1").arg(i));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_captions[i] = label;
    }
    applyCaptionFont();
    SetCaptions(200, QStringLiteral("MB"));
    m_fill = 0;
    Layout();
}

void TimeScale::SetCaptions(int step, const QString& unit)
{
    for (int i = 0; i < kCaptions; ++i) {
        m_captions[i]->setText(QStringLiteral("%1 %2").arg(step * i).arg(unit));
        m_captions[i]->show();
    }
    m_captions[kCaptions - 1]->hide();
    for (QLabel* label : m_captions)
        label->adjustSize();
}

void TimeScale::SetAudioMode()
{
    SetCaptions(20, QStringLiteral("min"));
    SetSize(0);
    Layout();
    update();
}

void TimeScale::SetDataMode()
{
    SetCaptions(200, QStringLiteral("MB"));
    SetSize(0);
    Layout();
    update();
}

QSize TimeScale::sizeHint() const
{
    // The ticks reach down to half the height: the captions below them
    // take the other half.
    return {480, std::max(40, 2 * m_captions[0]->sizeHint().height() + 4)};
}

QSize TimeScale::minimumSizeHint() const
{
    return {120, std::max(30, 2 * m_captions[0]->sizeHint().height() + 2)};
}

void TimeScale::SetDuration(double minutes)
{
    m_fill = minutes / 100.0;
    m_barWidth = (scaleWidth() - 20) * m_fill;
    update();
}

void TimeScale::SetSize(int megabytes)
{
    m_fill = megabytes / 1000.0;
    m_barWidth = (scaleWidth() - 20) * m_fill;
    update();
}

QRectF TimeScale::barRect() const
{
    return {m_barLeft, m_barTop, m_barWidth, m_barHeight};
}

QRectF TimeScale::captionRect(int i) const
{
    const QLabel* label = m_captions.at(i);
    return {label->x() * kTwipsPerPixel, label->y() * kTwipsPerPixel, label->width() * kTwipsPerPixel,
            label->height() * kTwipsPerPixel};
}

void TimeScale::applyCaptionFont()
{
    const QFont small = SmallFont(font());
    for (QLabel* label : m_captions) {
        label->setFont(small);
        label->adjustSize();
    }
    updateGeometry();
}

void TimeScale::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_captions[0]) {
        applyCaptionFont();
        Layout();
    }
}

void TimeScale::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void TimeScale::Layout()
{
    const double w = scaleWidth();
    const double h = scaleHeight();
    m_right = QLineF(w - 10, 0, w - 10, h - 10);
    m_left = QLineF(10, 0, 10, h - 10);
    m_bottom = QLineF(0, h - 10, w - 10, h - 10);
    m_top = QLineF(0, 10, w - 10, 10);

    m_barTop = 50;
    m_barLeft = 50;
    m_barHeight = 0.4 * h;
    m_barWidth = (w - 20) * m_fill;

    for (int i = 1; i <= kTicks; ++i) {
        const double x = w / kTicks * i;
        m_ticks[i] = QLineF(x, 10, x, h / 2);
    }

    // Captions in whole pixels: the first at the left, the others centred
    // under every fourth tick, all on the bottom edge.
    QLabel* first = m_captions[0];
    first->move(qRound(10 / kTwipsPerPixel), height() - first->height());
    for (int i = 1; i < kCaptions; ++i) {
        QLabel* label = m_captions[i];
        const double left = w / 5 * i - label->width() * kTwipsPerPixel / 2;
        label->move(qRound(left / kTwipsPerPixel), height() - label->height());
    }
    update();
}

void TimeScale::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);

    if (m_barWidth > 0)
        painter.fillRect(barRect(), QColor(0x33, 0x66, 0xcc));

    QPen pen(palette().color(QPalette::WindowText));
    pen.setWidthF(kTwipsPerPixel);
    pen.setCosmetic(false);
    painter.setPen(pen);
    for (const QLineF& line : {m_top, m_left, m_bottom, m_right})
        painter.drawLine(line);
    for (int i = 1; i <= kTicks; ++i)
        painter.drawLine(m_ticks[i]);
}
