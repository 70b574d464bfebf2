#include "ui/controls/myslider.h"

#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

TEST(MySliderProperties, DefaultsAndSavedValues)
{
    MySlider fresh;
    EXPECT_EQ(fresh.MinValue(), 0);
    EXPECT_EQ(fresh.MaxValue(), 100);
    EXPECT_EQ(fresh.value(), 50);
    EXPECT_EQ(fresh.Orientation(), 0);

    MySlider loaded;
    loaded.setMaxValue(7);
    loaded.ReadProperties({});
    EXPECT_EQ(loaded.MaxValue(), 100);
    EXPECT_EQ(loaded.value(), 50);

    MySlider source;
    source.setMinValue(-101);
    source.setMaxValue(-1);
    source.setValue(-30);
    source.setOrientation(1);
    MySlider copy;
    QSignalSpy changes(&copy, &MySlider::Change);
    copy.ReadProperties(source.WriteProperties());
    EXPECT_EQ(copy.MinValue(), -101);
    EXPECT_EQ(copy.MaxValue(), -1);
    EXPECT_EQ(copy.value(), -30);
    EXPECT_TRUE(copy.isVertical());
    EXPECT_EQ(changes.count(), 0);
}

TEST(MySliderProperties, SetterRules)
{
    enum Op { SetMin, SetMax, SetValue };
    const struct {
        Op op;
        qint32 arg;
        qint32 min, max, value;
        int changes; // Change events so far
    } steps[] = {
        {SetValue, 50, 0, 100, 50, 0}, // the current value: nothing
        {SetValue, 70, 0, 100, 70, 1},
        {SetValue, 250, 0, 100, 100, 2}, // limited, raised with the stored value
        {SetMax, 60, 0, 60, 60, 2},      // pulls value down quietly
        {SetMin, 80, 80, 81, 80, 2},     // pulls value and MaxValue up quietly
        {SetMax, 80, 80, 81, 80, 2},     // not above MinValue: MinValue + 1
        {SetMax, 10, 80, 81, 80, 2},
        {SetValue, -5, 80, 81, 80, 3}, // differs, so raised even though limited back
        {SetMin, -10, -10, 81, 80, 3},
        {SetValue, 81, -10, 81, 81, 4},
        {SetMin, INT_MAX, INT_MAX - 1, INT_MAX, INT_MAX - 1, 4}, // room for MinValue + 1
    };
    MySlider slider;
    QSignalSpy changes(&slider, &MySlider::Change);
    for (const auto& s : steps) {
        switch (s.op) {
        case SetMin:
            slider.setMinValue(s.arg);
            break;
        case SetMax:
            slider.setMaxValue(s.arg);
            break;
        case SetValue:
            slider.setValue(s.arg);
            break;
        }
        EXPECT_EQ(slider.MinValue(), s.min) << s.op << " " << s.arg;
        EXPECT_EQ(slider.MaxValue(), s.max) << s.op << " " << s.arg;
        EXPECT_EQ(slider.value(), s.value) << s.op << " " << s.arg;
        EXPECT_EQ(changes.count(), s.changes) << s.op << " " << s.arg;
    }
    ASSERT_GE(changes.count(), 2);
    EXPECT_EQ(changes.at(1).at(0).toInt(), 100);
}

TEST(MySliderProperties, RoundHalfEven)
{
    const struct {
        double in;
        qint64 out;
    } cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},   {3.5, 4},   {2.4999, 2},    {2.5001, 3},
                 {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {-3.5, -4}, {-101.0, -101}, {7.0, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(MySlider::RoundHalfEven(c.in), c.out) << c.in;
}

// A horizontal slider 0..50 whose thumb travels 100 pixels.
struct HorizontalSlider {
    MySlider slider;
    QSignalSpy changes{&slider, &MySlider::Change};
    QSignalSpy downs{&slider, &MySlider::MouseDown};
    QSignalSpy ups{&slider, &MySlider::MouseUp};
    HorizontalSlider()
    {
        slider.resize(100 + MySlider::kThumbLength, 20);
        slider.setMaxValue(50);
        slider.setValue(25);
        changes.clear();
    }
};

TEST(MySliderMouse, TrackClickTakesTheWholePart)
{
    const struct {
        int x;
        qint32 min;
        qint32 value;
    } cases[] = {
        {6 + 5, 0, 2},                     // 2.5 down to 2
        {6 + 3, 0, 1},                     // 1.5 down to 1
        {6 + 93, 0, 46},                   // 46.5 down to 46
        {6 + 1, 0, 0},   {6 + 5, -10, -7}, // 5 * 60 / 100 = 3 above -10
    };
    for (const auto& c : cases) {
        HorizontalSlider h;
        h.slider.setMinValue(c.min);
        h.slider.setValue(c.min); // thumb out of the way at the start...
        h.slider.setValue(50);    // ...then at the end
        ASSERT_EQ(h.slider.partAt(QPoint(c.x, 10)), MySlider::Part::Track) << c.x;
        h.changes.clear();
        QTest::mousePress(&h.slider, Qt::LeftButton, Qt::ShiftModifier, QPoint(c.x, 10));
        EXPECT_EQ(h.slider.value(), c.value) << c.x;
        ASSERT_EQ(h.downs.count(), 1);
        EXPECT_EQ(h.downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        EXPECT_EQ(h.downs.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
        EXPECT_EQ(h.downs.at(0).at(2).toInt(), c.x);
        EXPECT_EQ(h.downs.at(0).at(3).toInt(), 10);
        QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, QPoint(c.x, 10));
        EXPECT_EQ(h.ups.count(), 1);
    }
}

TEST(MySliderMouse, EndCapsGoToTheEnds)
{
    HorizontalSlider h;
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(h.slider.value(), 0);
    h.slider.setValue(25);
    QTest::mouseClick(&h.slider, Qt::LeftButton, {}, QPoint(109, 10));
    EXPECT_EQ(h.slider.value(), 50);
    EXPECT_EQ(h.downs.count(), 2);
    EXPECT_EQ(h.ups.count(), 2);
}

TEST(MySliderMouse, ThumbDragRoundsHalvesToEven)
{
    HorizontalSlider h;
    h.slider.setValue(0);
    ASSERT_EQ(h.slider.thumbRect(), QRect(0, 0, 12, 20));
    QTest::mousePress(&h.slider, Qt::LeftButton, {}, QPoint(3, 10));
    EXPECT_EQ(h.downs.count(), 1);
    EXPECT_EQ(h.slider.value(), 0); // a press on the thumb does not move it

    const struct {
        int x;
        qint32 value;
    } moves[] = {{5, 2}, {7, 4}, {9, 4}, {11, 6}, {60, 30}, {61, 30}, {63, 32}, {500, 50}, {-40, 0}, {40, 20}};
    for (const auto& m : moves) {
        QTest::mouseMove(&h.slider, QPoint(m.x, 10));
        EXPECT_EQ(h.slider.value(), m.value) << m.x;
    }
    // Steady one-pixel moves keep following the pointer.
    for (int x = 41; x <= 45; ++x)
        QTest::mouseMove(&h.slider, QPoint(x, 10));
    EXPECT_EQ(h.slider.value(), 22); // 45 / 2 = 22.5, to even
    QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, QPoint(45, 10));
    EXPECT_EQ(h.ups.count(), 1);
    QTest::mouseMove(&h.slider, QPoint(90, 10));
    EXPECT_EQ(h.slider.value(), 22); // no longer dragging
}

TEST(MySliderVertical, NegativeRangeHasTheMinimumAtTheTop)
{
    MySlider slider;
    slider.setOrientation(1);
    slider.resize(20, 112);
    slider.setMinValue(-101);
    slider.setMaxValue(-1);
    slider.setValue(-101);
    EXPECT_EQ(slider.travel(), 100);
    EXPECT_EQ(slider.thumbRect(), QRect(0, 0, 20, 12));
    slider.setValue(-1);
    EXPECT_EQ(slider.thumbRect(), QRect(0, 100, 20, 12));
    slider.setValue(-51);
    EXPECT_EQ(slider.thumbRect().top(), 50);

    QSignalSpy keys(&slider, &MySlider::Keypress);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.value(), -52);
    QTest::keyClick(&slider, Qt::Key_Left);
    EXPECT_EQ(slider.value(), -53);
    QTest::keyClick(&slider, Qt::Key_Down);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.value(), -51);
    QTest::keyClick(&slider, Qt::Key_A);
    EXPECT_EQ(slider.value(), -51);
    EXPECT_EQ(keys.count(), 5);

    // The top cap is the minimum, the bottom cap the maximum.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 2));
    EXPECT_EQ(slider.value(), -101);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 109));
    EXPECT_EQ(slider.value(), -1);
    // Dragging down from the top.
    slider.setValue(-101);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(10, 4));
    QTest::mouseMove(&slider, QPoint(10, 25));
    EXPECT_EQ(slider.value(), -76);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(10, 25));
}

TEST(MySliderVertical, OrientationChoosesTheParts)
{
    MySlider slider;
    slider.resize(112, 112);
    slider.setValue(50);
    EXPECT_EQ(slider.partAt(QPoint(2, 50)), MySlider::Part::StartCap);
    EXPECT_EQ(slider.partAt(QPoint(30, 2)), MySlider::Part::Track);
    EXPECT_EQ(slider.partAt(QPoint(55, 2)), MySlider::Part::Thumb);
    slider.setOrientation(1);
    EXPECT_EQ(slider.partAt(QPoint(2, 30)), MySlider::Part::Track);
    EXPECT_EQ(slider.partAt(QPoint(2, 55)), MySlider::Part::Thumb);
    EXPECT_EQ(slider.partAt(QPoint(50, 2)), MySlider::Part::StartCap);
    EXPECT_EQ(slider.partAt(QPoint(50, 109)), MySlider::Part::EndCap);
    EXPECT_LT(slider.sizeHint().width(), slider.sizeHint().height());
}

TEST(MySliderMouse, TooShortForTheThumbStaysAtTheMinimumEnd)
{
    MySlider slider;
    slider.resize(8, 20);
    EXPECT_EQ(slider.travel(), 0);
    EXPECT_EQ(slider.thumbRect().left(), 0);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(3, 10));
    QTest::mouseMove(&slider, QPoint(6, 10));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(6, 10));
    EXPECT_EQ(slider.value(), 50);
}
