// The docked display's place under the panel, on one screen or several.
#include "ui/display/docking.h"

#include <gtest/gtest.h>

TEST(DockedDisplayFrame, BelowThePanelAtItsOwnHeightAndOnTheScreen)
{
    const QRect screen(0, 0, 1920, 1040);    // the available area of a single screen
    const QRect right(1920, 0, 1280, 1024);  // a second screen to the right
    const QRect above(0, -1200, 1600, 1170); // a screen above the first, its panel at the top
    const struct {
        const char* what;
        QRect panel;
        int height;
        QRect available;
        QRect display;
    } rows[] = {
        {"ordinary", {100, 100, 440, 400}, 110, screen, {100, 500, 440, 110}},
        {"wide panel: the height stays", {0, 100, 1900, 300}, 110, screen, {0, 400, 1900, 110}},
        {"tall panel: pushed up onto the screen", {100, 0, 440, 1000}, 110, screen, {100, 930, 440, 110}},
        {"panel at the bottom edge", {300, 930, 440, 110}, 110, screen, {300, 930, 440, 110}},
        {"panel past the bottom edge", {300, 1000, 440, 300}, 110, screen, {300, 930, 440, 110}},
        {"just fits", {300, 830, 440, 100}, 110, screen, {300, 930, 440, 110}},
        {"panel past the right edge", {1700, 100, 440, 400}, 110, screen, {1480, 500, 440, 110}},
        {"panel past the left edge", {-50, 100, 440, 400}, 110, screen, {0, 500, 440, 110}},
        {"panel wider than the screen", {-100, 100, 2200, 400}, 110, screen, {0, 500, 1920, 110}},
        {"display taller than the screen", {100, 100, 440, 400}, 1200, screen, {100, 0, 440, 1200}},
        {"second screen", {2000, 200, 440, 400}, 110, right, {2000, 600, 440, 110}},
        {"second screen, bottom right", {2900, 900, 440, 100}, 110, right, {2760, 914, 440, 110}},
        {"second screen, reaching back over the first", {1800, 200, 440, 400}, 110, right, {1920, 600, 440, 110}},
        {"screen above, negative offsets", {-20, -1100, 440, 1100}, 110, above, {0, -140, 440, 110}},
        {"no screen known: no limit", {1700, 1000, 440, 400}, 110, QRect(), {1700, 1400, 440, 110}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(DockedDisplayFrame(row.panel, row.height, row.available), row.display);
    }
}
