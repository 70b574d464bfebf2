#include "tests/support/eventwait.h"
#include "ui/controls/aspinnerbox.h"
#include "ui/controls/resize.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A window that is never shown: its resizes are delivered by hand, as the
// window system would deliver them.
struct Window {
    QWidget form;
    Resize* resizer;
    QLabel* label;
    QPushButton* button;

    Window(int width, int height)
    {
        resizer = new Resize(&form);
        label = new QLabel(QStringLiteral("Title"), &form);
        label->setGeometry(600, 300, 1200, 200);
        QFont labelFont = label->font();
        labelFont.setPointSizeF(8.25);
        label->setFont(labelFont);
        button = new QPushButton(QStringLiteral("Go"), &form);
        button->setGeometry(3000, 100, 2000, 400);
        QFont buttonFont = button->font();
        buttonFont.setPointSize(10);
        button->setFont(buttonFont);
        resizeTo(width, height);
    }

    void resizeTo(int width, int height)
    {
        const QSize old = form.size();
        form.resize(width, height);
        QResizeEvent event(QSize(width, height), old);
        QApplication::sendEvent(&form, &event);
    }
};

} // namespace

TEST(ResizeControl, WiderWindowScalesHorizontallyAndRoundsFonts)
{
    Window w(6000, 1000); // the first resize records
    EXPECT_EQ(w.resizer->baseWidth(), 6000);
    EXPECT_EQ(w.resizer->baseHeight(), 1000);
    EXPECT_EQ(w.label->geometry(), QRect(600, 300, 1200, 200));
    EXPECT_DOUBLE_EQ(w.label->font().pointSizeF(), 8.25);

    w.resizeTo(9000, 1000);
    EXPECT_EQ(w.label->geometry(), QRect(900, 300, 1800, 200));
    EXPECT_EQ(w.button->geometry(), QRect(4500, 100, 3000, 400));
    EXPECT_DOUBLE_EQ(w.label->font().pointSizeF(), 8.0); // rf = 1: the recorded whole size
    EXPECT_DOUBLE_EQ(w.button->font().pointSizeF(), 10.0);

    // Back to the recorded size: the recorded layout again.
    w.resizeTo(6000, 1000);
    EXPECT_EQ(w.button->geometry(), QRect(3000, 100, 2000, 400));
}

TEST(ResizeControl, FontsFollowTheSmallerRatio)
{
    const struct {
        int width, height;
        double labelSize, buttonSize;
    } cases[] = {
        {12000, 1500, 12.0, 15.0}, // rx 2, ry 1.5
        {3000, 2000, 4.0, 5.0},    // rx 0.5, ry 2
        {6000, 500, 4.0, 5.0},     // rx 1, ry 0.5
    };
    for (const auto& c : cases) {
        Window w(6000, 1000);
        w.resizeTo(c.width, c.height);
        EXPECT_DOUBLE_EQ(w.label->font().pointSizeF(), c.labelSize) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(w.button->font().pointSizeF(), c.buttonSize) << c.width << "x" << c.height;
        const double rx = c.width / 6000.0;
        const double ry = c.height / 1000.0;
        EXPECT_EQ(w.button->geometry(),
                  QRect(qRound(3000 * rx), qRound(100 * ry), qRound(2000 * rx), qRound(400 * ry)));
    }
}

TEST(ResizeControl, NoResizeAndNewHeight)
{
    Window w(6000, 1000);
    w.resizer->setBlnNoResize(true);
    w.resizeTo(9000, 2000);
    EXPECT_EQ(w.label->geometry(), QRect(600, 300, 1200, 200));
    w.resizer->setBlnNoResize(false);
    w.resizer->Refresh();
    EXPECT_EQ(w.label->geometry(), QRect(900, 600, 1800, 400));

    // The host's designed height changed to 500: the same window is now
    // twice as high as designed.
    w.resizer->SetNewHeight(500);
    w.resizeTo(6000, 1000);
    EXPECT_EQ(w.label->geometry(), QRect(600, 600, 1200, 400));
    EXPECT_EQ(w.resizer->baseWidth(), 6000);
}

TEST(ResizeControl, WhichControlsAreRecorded)
{
    QWidget form;
    auto* resizer = new Resize(&form);
    auto* frame = new QFrame(&form);
    frame->setGeometry(10, 10, 200, 100);
    auto* inFrame = new QLineEdit(frame);
    inFrame->setGeometry(5, 5, 100, 20);
    auto* spin = new ASpinnerBox(&form);
    spin->setGeometry(10, 150, 80, 20);
    auto* doomed = new QLabel(&form);
    doomed->setGeometry(100, 150, 50, 20);
    auto* pixelLabel = new QLabel(&form);
    pixelLabel->setGeometry(100, 200, 50, 20);
    QFont pixelFont = pixelLabel->font();
    pixelFont.setPixelSize(12);
    pixelLabel->setFont(pixelFont);

    form.resize(400, 300);
    QResizeEvent first(QSize(400, 300), QSize());
    QApplication::sendEvent(&form, &first);
    // The frame and what it holds, the spinner (not its insides), both labels.
    EXPECT_EQ(resizer->recordedCount(), 5);

    delete doomed; // gone before the next resize: skipped
    form.resize(800, 300);
    QResizeEvent second(QSize(800, 300), QSize(400, 300));
    QApplication::sendEvent(&form, &second);
    EXPECT_EQ(frame->geometry(), QRect(20, 10, 400, 100));
    EXPECT_EQ(inFrame->geometry(), QRect(10, 5, 200, 20));
    EXPECT_EQ(spin->geometry(), QRect(20, 150, 160, 20));
    (void)spin->grab();                                                // delivers the spinner's pending resize
    EXPECT_EQ(spin->txtSpin()->geometry(), QRect(6, 3, 160 - 23, 14)); // laid out by the spinner
    EXPECT_EQ(pixelLabel->font().pixelSize(), 12);
    form.resize(800, 600);
    QResizeEvent third(QSize(800, 600), QSize(800, 300));
    QApplication::sendEvent(&form, &third);
    EXPECT_EQ(pixelLabel->font().pixelSize(), 24);
}

TEST(ResizeControl, LaidOutWindowsAreLeftToTheirLayout)
{
    QWidget form;
    auto* resizer = new Resize(&form);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("a")));
    form.resize(200, 100);
    QResizeEvent event(QSize(200, 100), QSize());
    QApplication::sendEvent(&form, &event);
    EXPECT_EQ(resizer->recordedCount(), 0);
}

TEST(ResizeControl, FollowsAShownWindow)
{
    QWidget form;
    new Resize(&form);
    auto* label = new QLabel(QStringLiteral("x"), &form);
    label->setGeometry(40, 20, 100, 30);
    form.resize(400, 200);
    form.show();
    ASSERT_TRUE(WaitUntil([&] { return form.isVisible(); }, 2000));
    form.resize(600, 200);
    EXPECT_TRUE(WaitUntil([&] { return label->geometry() == QRect(60, 20, 150, 30); }, 2000))
        << label->geometry().x() << " " << label->geometry().width();
}
