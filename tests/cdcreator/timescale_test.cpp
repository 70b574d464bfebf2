#include "cdcreator/timescale.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

struct ScaleFixture : ::testing::Test {
    ScaleFixture()
    {
        scale.resize(400, 40);
        scale.show(); // resize events reach a widget once it is shown
        scale.SetAudioMode();
    }
    TimeScale scale;
};

} // namespace

TEST_F(ScaleFixture, AudioAndDataCaptions)
{
    const char* audio[] = {"0 min", "20 min", "40 min", "60 min", "80 min", "100 min"};
    for (int i = 0; i < TimeScale::kCaptions; ++i)
        EXPECT_EQ(scale.caption(i)->text(), QString::fromLatin1(audio[i]));
    scale.SetDataMode();
    const char* data[] = {"0 MB", "200 MB", "400 MB", "600 MB", "800 MB", "1000 MB"};
    for (int i = 0; i < TimeScale::kCaptions; ++i)
        EXPECT_EQ(scale.caption(i)->text(), QString::fromLatin1(data[i]));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(scale.caption(i)->isHidden()) << i;
    EXPECT_TRUE(scale.caption(5)->isHidden());
}

TEST(TimeScaleStart, DataCaptionsAndEmptyBar)
{
    TimeScale scale;
    EXPECT_EQ(scale.caption(0)->text(), QStringLiteral("0 MB"));
    EXPECT_EQ(scale.caption(1)->text(), QStringLiteral("200 MB"));
    EXPECT_TRUE(scale.caption(5)->isHidden());
    EXPECT_EQ(scale.barWidth(), 0);
}

// The captions follow the window's font: a little smaller, readable, whole
// inside the scale at its preferred size, at small and large fonts alike.
TEST(TimeScaleFont, CaptionsAreReadableAndWholeAtEveryFontSize)
{
    for (const int points : {8, 10, 12, 16, 24}) {
        SCOPED_TRACE(points);
        TimeScale scale;
        QFont font = scale.font();
        font.setPointSize(points);
        scale.setFont(font);
        scale.resize(scale.sizeHint());
        scale.show();
        for (int i = 0; i < 5; ++i) {
            const QLabel* caption = scale.caption(i);
            const QFontMetrics metrics(caption->font());
            EXPECT_GE(caption->font().pointSizeF(), points * 0.85 - 0.01);
            EXPECT_LE(caption->font().pointSizeF(), points);
            EXPECT_GE(caption->height(), metrics.height());
            EXPECT_GE(caption->width(), metrics.horizontalAdvance(caption->text()));
            EXPECT_LE(caption->geometry().bottom(), scale.height() - 1);
            EXPECT_GE(caption->y(), scale.height() / 2) << "over the ticks";
        }
    }
}

TEST_F(ScaleFixture, BarWidthFollowsDurationAndSize)
{
    const double full = scale.scaleWidth() - 20;
    struct Case {
        double minutes;
        double fraction;
    } cases[] = {{0, 0}, {50, 0.5}, {100, 1.0}, {62.0833, 0.620833}, {150, 1.5}};
    for (const auto& c : cases) {
        scale.SetDuration(c.minutes);
        EXPECT_NEAR(scale.barWidth(), full * c.fraction, 1e-6) << c.minutes;
    }
    scale.SetSize(500);
    EXPECT_NEAR(scale.barWidth(), full / 2, 1e-6);
    scale.SetSize(1400); // not clipped to the scale
    EXPECT_GT(scale.barWidth(), full);
}

// The bar keeps its share of the range whatever the width: 7 minutes read
// as 7 minutes after the window grows or shrinks, in both modes.
TEST_F(ScaleFixture, BarFollowsAResize)
{
    struct Case {
        bool audio;
        double value; // minutes or megabytes
        double fraction;
    } cases[] = {{true, 7, 0.07}, {true, 100, 1.0}, {true, 150, 1.5}, {false, 350, 0.35}};
    for (const auto& c : cases) {
        scale.resize(400, 40);
        if (c.audio) {
            scale.SetAudioMode();
            scale.SetDuration(c.value);
        } else {
            scale.SetDataMode();
            scale.SetSize(int(c.value));
        }
        for (QSize size : {QSize(1900, 40), QSize(120, 30), QSize(613, 57)}) {
            scale.resize(size);
            EXPECT_NEAR(scale.barWidth(), (size.width() * 15.0 - 20) * c.fraction, 1e-6)
                << c.value << " at " << size.width();
        }
    }
    scale.SetAudioMode(); // an empty bar stays empty
    scale.resize(1000, 40);
    EXPECT_EQ(scale.barWidth(), 0);
}

TEST_F(ScaleFixture, SwitchingModesEmptiesTheBar)
{
    scale.SetDuration(30);
    ASSERT_GT(scale.barWidth(), 0);
    scale.SetDataMode();
    EXPECT_EQ(scale.barWidth(), 0);
    scale.SetSize(100);
    ASSERT_GT(scale.barWidth(), 0);
    scale.SetAudioMode();
    EXPECT_EQ(scale.barWidth(), 0);
}

TEST_F(ScaleFixture, LayoutAfterResize)
{
    for (QSize size : {QSize(400, 40), QSize(613, 57), QSize(200, 30)}) {
        scale.resize(size);
        const double w = scale.scaleWidth();
        const double h = scale.scaleHeight();
        EXPECT_EQ(w, size.width() * 15.0);
        for (int i = 1; i <= TimeScale::kTicks; ++i) {
            const QLineF t = scale.tick(i);
            EXPECT_DOUBLE_EQ(t.x1(), w / 20 * i);
            EXPECT_DOUBLE_EQ(t.x2(), t.x1());
            EXPECT_DOUBLE_EQ(t.y1(), 10);
            EXPECT_DOUBLE_EQ(t.y2(), h / 2);
        }
        EXPECT_DOUBLE_EQ(scale.tick(20).x1(), w);
        EXPECT_EQ(scale.rightBorder(), QLineF(w - 10, 0, w - 10, h - 10));
        EXPECT_EQ(scale.leftBorder(), QLineF(10, 0, 10, h - 10));
        EXPECT_EQ(scale.bottomBorder(), QLineF(0, h - 10, w - 10, h - 10));
        EXPECT_EQ(scale.topBorder(), QLineF(0, 10, w - 10, 10));
        const QRectF bar = scale.barRect();
        EXPECT_EQ(bar.top(), 50);
        EXPECT_EQ(bar.left(), 50);
        EXPECT_DOUBLE_EQ(bar.height(), 0.4 * h);
        // Captions 1..5 centred under ticks 4, 8, 12, 16, 20, to the pixel.
        for (int i = 1; i <= 5; ++i) {
            const QRectF r = scale.captionRect(i);
            EXPECT_NEAR(r.center().x(), scale.tick(4 * i).x1(), 15.0) << i;
            EXPECT_DOUBLE_EQ(r.bottom(), h) << i;
        }
        EXPECT_NEAR(scale.captionRect(0).left(), 10, 15.0);
        EXPECT_TRUE(scale.caption(5)->isHidden());
    }
}
