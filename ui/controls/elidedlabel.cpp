#include "ui/controls/elidedlabel.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QString ElidedLabel::shownText() const
{
    const int room = contentsRect().width() - 2 * margin() - (indent() > 0 ? indent() : 0);
    return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, room));
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Any width will do: what does not fit is cut.
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}
