#pragma once

#include <QString>

// A tooltip that shows `text` as it is. A tooltip is read as markup when it
// looks like markup, so a station name "<b>Bold</b>" or an address with a
// tag in it is turned into the markup that shows exactly those characters.
QString PlainToolTip(const QString& text);
