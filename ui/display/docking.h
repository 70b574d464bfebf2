#pragma once

#include <QRect>

// Where the recording display goes when it is docked under the control panel.
// Given the panel's frame, the display's frame height and the available area
// of the panel's screen (an empty area: no limit), it gives the display's
// frame: directly below the panel, as wide as the panel, at its own height;
// moved, and narrowed where the panel is wider than the area, as little as
// needed to lie on the screen. Under a panel at the screen's bottom edge the
// display overlaps the panel's lower part rather than leave the screen.
QRect DockedDisplayFrame(const QRect& panelFrame, int displayFrameHeight, const QRect& available);
