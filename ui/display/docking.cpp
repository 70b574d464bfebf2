#include "ui/display/docking.h"

#include <algorithm>

QRect DockedDisplayFrame(const QRect& panelFrame, int displayFrameHeight, const QRect& available)
{
    QRect frame(panelFrame.left(), panelFrame.bottom() + 1, panelFrame.width(), displayFrameHeight);
    if (available.isEmpty())
        return frame;
    frame.setWidth(std::min(frame.width(), available.width()));
    // Right and bottom edges first: the top-left corner wins where the
    // display is larger than the area.
    frame.moveLeft(std::max(std::min(frame.left(), available.right() + 1 - frame.width()), available.left()));
    frame.moveTop(std::max(std::min(frame.top(), available.bottom() + 1 - frame.height()), available.top()));
    return frame;
}
