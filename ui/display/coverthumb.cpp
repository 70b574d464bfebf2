#include "ui/display/coverthumb.h"

#include <QImage>
#include <QPixmap>

CoverThumb::CoverThumb(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setAccessibleName(tr("Cover"));
    hide();
}

bool CoverThumb::SetCover(const CoverPicture& cover)
{
    if (cover.data == m_shown)
        return !isHidden();
    m_shown = cover.data;
    const QImage image = cover.IsNull() ? QImage() : QImage::fromData(cover.data);
    if (image.isNull()) {
        clear();
        hide();
        return false;
    }
    setPixmap(QPixmap::fromImage(image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    show();
    return true;
}
