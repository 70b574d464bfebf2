// How the display looks, read from its painted pixels: the command buttons
// in each state, the lamps' captions and the lamps' shape when the window is
// scaled.
#include "displayfixture.h"

#include <QToolButton>
#include <QtTest/QTest>
#include <cmath>

namespace {

// Relative luminance and contrast ratio as WCAG 2 define them.
double luminance(const QColor& c)
{
    const auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A button as seen on its window.
QImage seen(QToolButton* button)
{
    return button->window()->grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The strongest contrast a glyph drawn in the middle of a button makes
// against the button's background beside it.
double glyphContrast(QToolButton* button)
{
    const QImage img = seen(button);
    const QColor background = img.pixelColor(3, img.height() / 2);
    const QRect glyph(img.width() / 2 - 8, img.height() / 2 - 8, 16, 16);
    double best = 1;
    for (int y = glyph.top(); y <= glyph.bottom(); ++y)
        for (int x = glyph.left(); x <= glyph.right(); ++x)
            best = std::max(best, contrast(img.pixelColor(x, y), background));
    return best;
}

} // namespace

TEST_F(DisplayTest, ButtonGlyphsStayClearWhenHoveredOrPressedAndDimWhenDisabled)
{
    recording(true); // a timed recording: the time-mode button is enabled
    refresh();
    QToolButton* button = display->cmdTimeMode;
    ASSERT_TRUE(button->isEnabled());
    const QColor resting = seen(button).pixelColor(3, button->height() / 2);
    const double normal = glyphContrast(button);
    EXPECT_GE(normal, 4.5);

    QTest::mouseMove(button, button->rect().center());
    ASSERT_TRUE(WaitUntil([&] { return button->underMouse(); }, 3000));
    EXPECT_NE(seen(button).pixelColor(3, button->height() / 2), resting) << "no hover feedback";
    EXPECT_GE(glyphContrast(button), 4.5) << "hovered";

    button->setDown(true);
    EXPECT_GE(glyphContrast(button), 4.5) << "pressed";
    button->setDown(false);
    QTest::mouseMove(display.get(), QPoint(2, 2));

    status.blnRecording = false; // stopped: nothing to switch
    refresh();
    ASSERT_FALSE(button->isEnabled());
    const double disabled = glyphContrast(button);
    EXPECT_LT(disabled, normal / 2) << "a disabled glyph looks like an enabled one";
    EXPECT_GE(disabled, 1.5) << "a disabled glyph is gone";
}

TEST_F(DisplayTest, UnlitCaptionsAreReadableWhileTheLampsKeepTheirColours)
{
    refresh(); // stopped: every lamp unlit
    for (QLabel* caption : {display->lblRec, display->lblPreview, display->lblTimeOut, display->lblBR}) {
        SCOPED_TRACE(caption->objectName().toStdString());
        EXPECT_GE(contrast(brightest(caption), Qt::black), 3.0);
    }
    for (LampShape* lamp : {display->shpRec, display->shpPreview, display->shpError})
        EXPECT_EQ(centre(lamp), frmRecordingDisplay::kDim) << lamp->objectName().toStdString();
}

// The window scales its controls with its size; a lamp stays a circle.
TEST_F(DisplayTest, LampsStayRoundWhenTheWindowIsScaled)
{
    const QSize sizes[] = {{440, 104}, {880, 104}, {1320, 104}, {440, 208}};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        display->resize(size);
        const QImage img = display->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (LampShape* lamp : {display->shpRec, display->shpPreview, display->shpError}) {
            const QRect g = lamp->geometry();
            int across = 0, down = 0;
            for (int x = g.left(); x <= g.right(); ++x)
                across += img.pixelColor(x, g.center().y()).red() > 32;
            for (int y = g.top(); y <= g.bottom(); ++y)
                down += img.pixelColor(g.center().x(), y).red() > 32;
            EXPECT_GE(down, 6) << lamp->objectName().toStdString();
            EXPECT_LE(std::abs(across - down), 1) << lamp->objectName().toStdString();
        }
    }
}
