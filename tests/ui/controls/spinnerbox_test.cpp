#include "fakerepeattimer.h"
#include "platform/messages.h"
#include "tests/support/eventwait.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/controls/repeattimer.h"
#include "tests/support/fakes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

const char* kNotNumeric = "Please enter numeric values only.";

// A spinner 0..999 in a shown window, next to a line edit that takes the
// focus when the spinner is left, on a fake repeat clock.
struct SpinnerFixture {
    QWidget window;
    ASpinnerBox* spin;
    QLineEdit* other;
    RecordingMessageService messages;
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    QVector<qint64> stepTimes; // fake time of every stored value

    explicit SpinnerFixture(bool fakeTimer = true)
    {
        spin = new ASpinnerBox(&window);
        other = new QLineEdit(&window);
        spin->setGeometry(10, 10, 80, 20);
        other->setGeometry(10, 40, 80, 20);
        spin->setMin(0);
        spin->setMax(999);
        spin->setMessageService(&messages);
        if (fakeTimer)
            spin->setRepeatTimer(std::make_unique<FakeRepeatTimer>(clock));
        QObject::connect(spin, &ASpinnerBox::PropertyChanged, [this](const QString& name) {
            if (name == QLatin1String("Value"))
                stepTimes.append(clock->now);
        });
        window.resize(120, 80);
        window.show();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
    }

    void type(const QString& text)
    {
        spin->txtSpin()->setFocus(Qt::MouseFocusReason);
        spin->txtSpin()->selectAll();
        QTest::keyClick(spin->txtSpin(), Qt::Key_Delete);
        QTest::keyClicks(spin->txtSpin(), text);
    }
    void leave() { other->setFocus(Qt::TabFocusReason); }
    QPoint middle(QWidget* w) const { return w->rect().center(); }
};

} // namespace

TEST(ASpinnerBoxProperties, NewSpinnerAndSavedDefaults)
{
    ASpinnerBox fresh;
    EXPECT_EQ(fresh.value(), 0);
    EXPECT_EQ(fresh.Min(), 0);
    EXPECT_EQ(fresh.Max(), 0);
    EXPECT_EQ(fresh.BackColor(), 0x80000005u);
    EXPECT_EQ(fresh.ForeColor(), 0x80000012u);
    EXPECT_EQ(fresh.BorderColor(), 0x00B86000u); // RGB(0, 96, 184)

    ASpinnerBox loaded;
    loaded.setBackColor(0x00FFFFFF);
    loaded.ReadProperties({});
    EXPECT_EQ(loaded.Max(), 999);
    EXPECT_EQ(loaded.Min(), 0);
    EXPECT_EQ(loaded.value(), 0);
    EXPECT_EQ(loaded.BackColor(), 0x80000005u);
    EXPECT_FALSE(loaded.propertiesChanged());
    loaded.setValue(12);
    EXPECT_TRUE(loaded.propertiesChanged());

    // What one spinner writes, another reads back.
    ASpinnerBox source;
    source.setMin(-5);
    source.setMax(60);
    source.setValue(-3);
    source.setForeColor(0x000000FF);
    QFont font(QStringLiteral("Sans"), 13);
    source.setFont(font);
    ASpinnerBox copy;
    copy.ReadProperties(source.WriteProperties());
    EXPECT_EQ(copy.Min(), -5);
    EXPECT_EQ(copy.Max(), 60);
    EXPECT_EQ(copy.value(), -3);
    EXPECT_EQ(copy.txtSpin()->text(), QStringLiteral("-3"));
    EXPECT_EQ(copy.ForeColor(), 0x000000FFu);
    EXPECT_EQ(copy.font().pointSize(), 13);
    EXPECT_EQ(copy.txtSpin()->font().pointSize(), 13);
}

TEST(ASpinnerBoxProperties, AdjustToOleColor)
{
    QPalette pal;
    pal.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
    pal.setColor(QPalette::Active, QPalette::ButtonText, QColor(10, 20, 30));
    const struct {
        quint32 in;
        quint32 out;
    } cases[] = {
        {0x80000005, 0x00030201}, // window background from the palette
        {0x80000012, 0x001E140A}, // button text
        {0x00B86000, 0x00B86000}, // plain RGB passes
        {0x12345678, 0x00345678}, // stray high byte dropped
        {0x800000FF, 0x00000000}, // unknown system colour
    };
    for (const auto& c : cases)
        EXPECT_EQ(ASpinnerBox::AdjustToOLE_COLOR(c.in, &pal), c.out) << std::hex << c.in;
    EXPECT_EQ(ASpinnerBox::ToQColor(0x00B86000), QColor(0, 96, 184));
    EXPECT_EQ(ASpinnerBox::FromQColor(QColor(0, 96, 184)), 0x00B86000u);
}

TEST(ASpinnerBoxLayout, SizeChildrenAndColours)
{
    const struct {
        int askedWidth, askedHeight, width;
    } cases[] = {{30, 20, 40}, {40, 5, 40}, {100, 50, 100}};
    for (const auto& c : cases) {
        ASpinnerBox spin;
        spin.setBackColor(0x00FFFFFF);
        spin.setBorderColor(0x00B86000);
        spin.resize(c.askedWidth, c.askedHeight);
        spin.show(); // a hidden widget gets its resize when shown
        EXPECT_EQ(spin.width(), c.width) << c.askedWidth;
        EXPECT_EQ(spin.height(), std::max(20, spin.txtSpin()->fontMetrics().height() + 6));
        EXPECT_EQ(spin.txtSpin()->geometry().topLeft(), QPoint(6, 3));
        EXPECT_EQ(spin.txtSpin()->width(), c.width - 23);
        EXPECT_EQ(spin.picUp()->geometry(), QRect(c.width - 16, 1, 15, 9));
        EXPECT_EQ(spin.picDown()->geometry(), QRect(c.width - 16, 10, 15, 9));
        const QImage shot = spin.grab().toImage();
        const QColor border(0, 96, 184);
        EXPECT_EQ(shot.pixelColor(0, 0), border);
        EXPECT_EQ(shot.pixelColor(2, spin.height() - 1), border);
        EXPECT_EQ(shot.pixelColor(c.width - 17, 5), border);
        EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white));
        EXPECT_EQ(shot.pixelColor(c.width - 18, 18), QColor(Qt::white));
    }
}

// The number is whole at any font size: the box grows with the font (never
// below its 20 pixels), also when the font changes after it is shown.
TEST(ASpinnerBoxLayout, HeightFollowsTheFont)
{
    for (const int points : {6, 10, 12, 16, 24}) {
        SCOPED_TRACE(points);
        ASpinnerBox spin;
        spin.resize(80, 20);
        spin.show();
        QFont font = spin.font();
        font.setPointSize(points);
        spin.setFont(font);
        const QFontMetrics metrics(spin.txtSpin()->font());
        EXPECT_GE(spin.txtSpin()->height(), metrics.height());
        EXPECT_EQ(spin.height(), std::max(20, spin.txtSpin()->height() + 6));
        EXPECT_LE(spin.txtSpin()->geometry().bottom(), spin.height() - 2);
    }
}

TEST(ASpinnerBoxLayout, ArrowStripHasSixDistinctFrames)
{
    const QImage& strip = ASpinnerBox::ArrowStrip();
    ASSERT_EQ(strip.size(), QSize(90, 9));
    for (int a = 0; a < 6; ++a) {
        for (int b = a + 1; b < 6; ++b)
            EXPECT_NE(strip.copy(a * 15, 0, 15, 9), strip.copy(b * 15, 0, 15, 9)) << a << " " << b;
    }
}

TEST(ASpinnerBoxValue, OutOfRangeIsRefused)
{
    ASpinnerBox spin;
    spin.setMax(999);
    const struct {
        qint32 set, expected;
    } steps[] = {{5, 5}, {1000, 5}, {-1, 5}, {999, 999}, {0, 0}, {INT_MAX, 0}};
    for (const auto& s : steps) {
        spin.txtSpin()->setText(QStringLiteral("junk"));
        spin.setValue(s.set);
        EXPECT_EQ(spin.value(), s.expected) << s.set;
        EXPECT_EQ(spin.txtSpin()->text(), QString::number(s.expected));
    }
    // Min and Max take what they are given, even around the current value.
    spin.setValue(7);
    spin.setMin(10);
    EXPECT_EQ(spin.Min(), 10);
    EXPECT_EQ(spin.value(), 7);
    spin.setMax(-3);
    EXPECT_EQ(spin.Max(), -3);
}

TEST(ASpinnerBoxText, LeavingTheBoxClampsAdoptsOrComplains)
{
    const struct {
        const char* typed;
        qint32 value;
        bool message;
    } cases[] = {
        {"1500", 999, false}, {"-5", 0, false},   {"42", 42, false},
        {"999", 999, false},  {"0", 0, false},    {"99999999999999999999999", 999, false},
        {"abc", 17, true},    {"12.5", 17, true}, {"", 17, true},
        {"4x", 17, true},
    };
    for (const auto& c : cases) {
        SpinnerFixture f;
        f.spin->setValue(17);
        f.type(QString::fromLatin1(c.typed));
        ASSERT_EQ(f.spin->txtSpin()->text(), QString::fromLatin1(c.typed));
        f.leave();
        EXPECT_EQ(f.spin->value(), c.value) << c.typed;
        EXPECT_EQ(f.spin->txtSpin()->text(), QString::number(c.value)) << c.typed;
        if (c.message)
            EXPECT_EQ(f.messages.messages, QStringList{QString::fromLatin1(kNotNumeric)}) << c.typed;
        else
            EXPECT_TRUE(f.messages.messages.isEmpty()) << c.typed;
    }
}

TEST(ASpinnerBoxText, ArrowKeysChangeTheTextAndValueFollowsOnLeaving)
{
    SpinnerFixture f;
    f.spin->setValue(998);
    QLineEdit* edit = f.spin->txtSpin();
    edit->setFocus(Qt::MouseFocusReason);

    QTest::keyPress(edit, Qt::Key_Up);
    EXPECT_EQ(f.spin->picUp()->frame(), ASpinnerBox::UpPressed);
    EXPECT_EQ(edit->text(), QStringLiteral("999"));
    EXPECT_EQ(f.spin->value(), 998); // the text only
    QTest::keyRelease(edit, Qt::Key_Up);
    EXPECT_EQ(f.spin->picUp()->frame(), ASpinnerBox::UpNormal);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("999"));

    QTest::keyClick(edit, Qt::Key_Up); // at Max: unchanged
    EXPECT_EQ(edit->text(), QStringLiteral("999"));
    QTest::keyPress(edit, Qt::Key_Down);
    EXPECT_EQ(f.spin->picDown()->frame(), ASpinnerBox::DownPressed);
    QTest::keyRelease(edit, Qt::Key_Down);
    EXPECT_EQ(f.spin->picDown()->frame(), ASpinnerBox::DownNormal);
    EXPECT_EQ(edit->text(), QStringLiteral("998"));
    f.leave();
    EXPECT_EQ(f.spin->value(), 998);

    f.spin->setValue(1);
    edit->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down); // at Min: unchanged
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    f.leave();
    EXPECT_EQ(f.spin->value(), 0);
    EXPECT_TRUE(f.messages.messages.isEmpty());
}

TEST(ASpinnerBoxText, FocusSelectsTheWholeText)
{
    SpinnerFixture f;
    f.spin->setValue(345);
    f.spin->txtSpin()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(WaitUntil([&] { return f.spin->txtSpin()->selectedText() == QStringLiteral("345"); }, 2000));
}

TEST(ASpinnerBoxArrows, UpAtMaxIgnoresFurtherSteps)
{
    SpinnerFixture f;
    f.spin->setValue(999);
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
        f.clock->advanceTo(f.clock->now + 400);
    }
    EXPECT_EQ(f.spin->value(), 999);
    EXPECT_EQ(f.spin->txtSpin()->text(), QStringLiteral("999"));

    f.spin->setValue(0);
    QTest::mouseClick(f.spin->picDown(), Qt::LeftButton, {}, f.middle(f.spin->picDown()));
    f.clock->advanceTo(f.clock->now + 400);
    EXPECT_EQ(f.spin->value(), 0);
}

TEST(ASpinnerBoxArrows, HoldingTwoSecondsGivesSixSlowStepsThenFastOnes)
{
    SpinnerFixture f;
    f.spin->setValue(100);
    f.stepTimes.clear();
    QTest::mousePress(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
    EXPECT_EQ(f.spin->picUp()->frame(), ASpinnerBox::UpPressed);
    f.clock->advanceTo(2000);
    QTest::mouseRelease(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
    f.clock->advanceTo(3000);

    // Six steps 300 ms apart, then 80 ms apart; the wait running at the
    // release still ends in a step, and then the repeat stops.
    const QVector<qint64> expected{300, 600, 900, 1200, 1500, 1800, 1880, 1960, 2040};
    EXPECT_EQ(f.stepTimes, expected);
    EXPECT_EQ(f.spin->value(), 109);
    EXPECT_EQ(std::count_if(f.stepTimes.begin(), f.stepTimes.end(), [](qint64 t) { return t <= 1800; }), 6);
    EXPECT_FALSE(f.clock->due >= 0);
    EXPECT_EQ(f.spin->picUp()->frame(), ASpinnerBox::UpHot); // released over the arrow
}

TEST(ASpinnerBoxArrows, QuickClickStepsOnceAfterTheFirstWaitAndDoubleClickTwice)
{
    SpinnerFixture f;
    f.spin->setValue(10);
    f.stepTimes.clear();
    QTest::mouseClick(f.spin->picDown(), Qt::LeftButton, {}, f.middle(f.spin->picDown()));
    f.clock->advanceTo(299);
    EXPECT_EQ(f.spin->value(), 10);
    f.clock->advanceTo(1000);
    EXPECT_EQ(f.spin->value(), 9);
    EXPECT_EQ(f.stepTimes, QVector<qint64>{300});

    // What a double click delivers: press, release, double click, release.
    QTest::mouseClick(f.spin->picDown(), Qt::LeftButton, {}, f.middle(f.spin->picDown()));
    QTest::mouseDClick(f.spin->picDown(), Qt::LeftButton, {}, f.middle(f.spin->picDown()));
    QTest::mouseRelease(f.spin->picDown(), Qt::LeftButton, {}, f.middle(f.spin->picDown()));
    f.clock->advanceTo(3000);
    EXPECT_EQ(f.spin->value(), 7);
}

TEST(ASpinnerBoxArrows, HoverShowsTheHotFrame)
{
    SpinnerFixture f;
    SpinArrow* up = f.spin->picUp();
    // Moves through the window, as the window system reports them.
    QWindow* handle = f.window.windowHandle();
    auto moveOver = [&](QWidget* w) { QTest::mouseMove(handle, w->mapTo(&f.window, w->rect().center())); };
    moveOver(f.spin->txtSpin());
    moveOver(up);
    EXPECT_TRUE(WaitUntil([&] { return up->frame() == ASpinnerBox::UpHot; }, 2000));
    EXPECT_EQ(f.spin->picDown()->frame(), ASpinnerBox::DownNormal);
    moveOver(f.spin->picDown());
    EXPECT_TRUE(WaitUntil([&] { return up->frame() == ASpinnerBox::UpNormal; }, 2000));
    EXPECT_EQ(f.spin->picDown()->frame(), ASpinnerBox::DownHot);
}

TEST(ASpinnerBoxArrows, HidingEndsARepeatThatLostItsRelease)
{
    SpinnerFixture f;
    f.spin->setValue(50);
    QTest::mousePress(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
    f.clock->advanceTo(650);
    EXPECT_EQ(f.spin->value(), 52);
    f.spin->hide();
    f.clock->advanceTo(5000);
    EXPECT_EQ(f.spin->value(), 52);
}

// The real timer, watched: the test sees when no step is pending any more.
class WatchedRepeatTimer : public IRepeatTimer {
public:
    explicit WatchedRepeatTimer(QtRepeatTimer** watch) { *watch = &m_timer; }
    void StartOnce(int ms, std::function<void()> onTimeout) override { m_timer.StartOnce(ms, std::move(onTimeout)); }
    void Stop() override { m_timer.Stop(); }
    bool IsActive() const override { return m_timer.IsActive(); }

private:
    QtRepeatTimer m_timer;
};

TEST(ASpinnerBoxArrows, RealTimerRepeatsWithoutBlocking)
{
    SpinnerFixture f(false);
    QtRepeatTimer* timer = nullptr;
    f.spin->setRepeatTimer(std::make_unique<WatchedRepeatTimer>(&timer));
    f.spin->setValue(0);
    QTest::mousePress(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
    // The event loop keeps running while the arrow is held.
    EXPECT_TRUE(WaitUntil([&] { return f.spin->value() >= 2; }, 10000));
    const qint32 atRelease = f.spin->value();
    QTest::mouseRelease(f.spin->picUp(), Qt::LeftButton, {}, f.middle(f.spin->picUp()));
    // The running wait ends in one more step at most, then nothing is pending.
    ASSERT_TRUE(WaitUntil([&] { return !timer->IsActive(); }, 10000));
    const qint32 settled = f.spin->value();
    EXPECT_GE(settled, atRelease);
    EXPECT_LE(settled, atRelease + 1);
    RunPendingEvents();
    EXPECT_FALSE(timer->IsActive());
    EXPECT_EQ(f.spin->value(), settled);
}
