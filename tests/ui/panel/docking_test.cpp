// The recording display docked under the panel stays on the panel's screen.
#include "panelfixture.h"

#include <QScreen>

using PanelDockingTest = PanelFixture;

TEST_F(PanelDockingTest, TheDockedDisplayKeepsItsHeightOnThePanelsScreen)
{
    QWidget display(nullptr, Qt::Window | Qt::FramelessWindowHint);
    display.resize(440, 110);
    display.show();
    shell.display = &display;
    frmRecord& p = open();
    p.show();
    const QRect area = p.screen()->availableGeometry();
    const struct {
        const char* what;
        QRect panel; // asked for; the panel's own minimum may enlarge it
        bool below;  // room for the display below the panel
    } rows[] = {
        {"ordinary", {area.x() + 10, area.y() + 10, 200, 100}, true},
        {"tall", {area.x() + 10, area.y(), 200, area.height()}, false},
        {"wide, at the bottom right", {area.right() - 100, area.bottom() - 50, area.width() + 300, 150}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        p.setGeometry(row.panel);
        ASSERT_TRUE(WaitUntil([&] { return p.geometry().topLeft() == row.panel.topLeft(); }));
        p.DockDisplay();
        const QRect frame = display.frameGeometry();
        EXPECT_EQ(display.height(), 110);
        EXPECT_TRUE(area.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        const QRect panel = p.frameGeometry();
        EXPECT_EQ(frame.topLeft() == QPoint(panel.left(), panel.bottom() + 1), row.below);
    }
}
