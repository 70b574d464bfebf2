// The scrolling title: the ticker on its own with fixed character widths,
// then on the display with the label's real font.
#include "displayfixture.h"

#include "ui/display/titleticker.h"

#include <QElapsedTimer>
#include <QFontMetrics>

namespace {

// Every character 10 pixels wide.
int tenEach(const QString& s)
{
    return 10 * int(s.size());
}

}  // namespace

TEST(TitleTicker, ScrollsAPixelAStepDropsWhatLeftAndAppendsWhatFits)
{
    // Label 35 pixels; source " --- ABCDEFGH" (13 characters).
    const struct {
        int step;
        int left;
        const char* text;
        int pos;
    } rows[] = {
        {1, -1, " ---", 5},    // filled until not narrower than the label, then moved
        {2, -2, " ---", 5},    // 10 + 40 does not fit: nothing appended
        {10, -10, " ---", 5},  // the first character is just out of view
        {11, -1, "---", 5},    // dropped; the label moved back by its width
        {20, -10, "---", 5},   // 10 + 30 is not below 35
        {21, -1, "-- ", 6},    // dropped, and the next character fits
        {31, -1, "- A", 7},
        {41, -1, " AB", 8},
        {91, -1, "EFG", 13},
        {101, -1, "FGH", 1},   // the source came round to its start
        {111, -1, "GH ", 2},
        {121, -1, "H -", 3},
        {131, -1, " --", 4},
    };
    TitleTicker t(tenEach);
    int done = 0;
    for (const auto& row : rows) {
        while (done < row.step) {
            t.Step(QStringLiteral("ABCDEFGH"), 35, false);
            ++done;
        }
        SCOPED_TRACE(row.step);
        EXPECT_EQ(t.left(), row.left);
        EXPECT_EQ(t.text(), QString::fromLatin1(row.text));
        EXPECT_EQ(t.position(), row.pos);
    }
}

TEST(TitleTicker, TheFillWrapsRoundTheSource)
{
    const struct {
        const char* title;
        int width;
        const char* text;
        int pos;
    } rows[] = {
        {"AB", 95, " --- AB --", 4},     // ten characters: round once
        {"AB", 100, " --- AB --", 4},    // 100 is not below 100: full
        {"AB", 101, " --- AB ---", 5},
        {"X", 10, " ", 2},              // the fill stops when it is no longer narrower
        {"X", 1, " ", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.title << " in " << row.width);
        TitleTicker t(tenEach);
        t.Step(QString::fromLatin1(row.title), row.width, true);
        EXPECT_EQ(t.text(), QString::fromLatin1(row.text));
        EXPECT_EQ(t.position(), row.pos);
        EXPECT_EQ(t.left(), 0);  // hovered: filled but not moved
    }
}

TEST(TitleTicker, HoverFreezesAndANewTitleRestartsFromTheSeparator)
{
    TitleTicker t(tenEach);
    for (int i = 0; i < 15; ++i)
        t.Step(QStringLiteral("A long title"), 50, false);
    const int left = t.left();
    const QString text = t.text();
    const int pos = t.position();
    for (int i = 0; i < 5; ++i)
        t.Step(QStringLiteral("A long title"), 50, true);
    EXPECT_EQ(t.left(), left);
    EXPECT_EQ(t.text(), text);
    EXPECT_EQ(t.position(), pos);

    // A new title while hovered: the ring starts again, the position stays.
    t.Step(QStringLiteral("Another title"), 50, true);
    EXPECT_EQ(t.source(), QStringLiteral(" --- Another title"));
    EXPECT_EQ(t.text(), QStringLiteral(" --- "));
    EXPECT_EQ(t.left(), left);
    // The same title again does not restart it.
    t.Step(QStringLiteral("Another title"), 50, false);
    t.Step(QStringLiteral("Another title"), 50, false);
    EXPECT_EQ(t.left(), left - 2);
    EXPECT_TRUE(QStringLiteral(" --- Another title").startsWith(t.text()) ||
                QStringLiteral("--- Another title").startsWith(t.text()));
}

TEST(TitleTicker, CharactersWithoutWidthCannotHoldTheFill)
{
    TitleTicker t([](const QString&) { return 0; });
    t.Step(QString(2000, QChar(0x200b)), 100, false);
    EXPECT_FALSE(t.text().isEmpty());
    EXPECT_LE(t.text().size(), 4 * 101 + 2 * 2005);
    EXPECT_EQ(t.left(), -1);
}

// The display: the label's positions follow the ticker over many refreshes.
TEST_F(DisplayTest, TheTitleScrollsAPixelARefreshAndKeepsItsCharactersInOrder)
{
    recording(false);
    const QString title = QStringLiteral("Now Recording: The Long Distance Ensemble - Variations on a Theme That "
                                         "Will Not Fit Into The Window (Extended Mix)");
    status.displayCaption = title;
    QLabel* label = display->lblSongTitle;
    const QFontMetrics fm(label->font());
    ASSERT_GT(fm.horizontalAdvance(title), label->width());

    refresh();
    const QString ring = (QStringLiteral(" --- ") + title).repeated(3);
    ASSERT_TRUE(ring.startsWith(label->text()));
    ASSERT_EQ(label->x(), -1);
    ASSERT_GE(fm.horizontalAdvance(label->text()), label->width());

    QString dropped;  // the characters that scrolled out, in order
    int prevX = label->x();
    QString prevText = label->text();
    for (int i = 0; i < 400; ++i) {
        refresh();
        const int x = label->x();
        const QString text = label->text();
        if (text.size() >= prevText.size() - 1 && text.startsWith(prevText.mid(1)) &&
            x == prevX - 1 + fm.horizontalAdvance(prevText.left(1)) && prevX <= -fm.horizontalAdvance(prevText.left(1))) {
            dropped += prevText.at(0);
            EXPECT_LE(text.size() - (prevText.size() - 1), 1);
        } else {
            ASSERT_EQ(x, prevX - 1) << "refresh " << i;
            ASSERT_TRUE(text.startsWith(prevText)) << "refresh " << i;
            EXPECT_LE(text.size() - prevText.size(), 1);
        }
        ASSERT_LE(x, 0);
        ASSERT_GT(x, -fm.horizontalAdvance(text.left(1)) - 1);
        prevX = x;
        prevText = text;
    }
    EXPECT_GT(dropped.size(), 20);
    EXPECT_TRUE(ring.startsWith(dropped + prevText)) << (dropped + prevText).toStdString();
    EXPECT_EQ(display->Ticker().left(), label->x());
}

TEST_F(DisplayTest, TheMouseStrictlyInsideTheTitleAreaFreezesTheScroll)
{
    recording(false);
    status.displayCaption = QStringLiteral("Now Recording: ") + QString(200, QLatin1Char('w'));
    refresh(3);
    const QPoint o = display->pcSize->mapToGlobal(QPoint(0, 0));
    const int w = display->pcSize->width(), h = display->pcSize->height();
    const struct {
        const char* where;
        QPoint at;
        bool frozen;
    } rows[] = {
        {"inside", o + QPoint(5, 5), true},
        {"one pixel inside the far corner", o + QPoint(w - 1, h - 1), true},
        {"one pixel inside the near corner", o + QPoint(1, 1), true},
        {"on the left edge", o + QPoint(0, 5), false},
        {"on the top edge", o + QPoint(5, 0), false},
        {"on the right edge", o + QPoint(w, 5), false},
        {"on the bottom edge", o + QPoint(5, h), false},
        {"outside", o + QPoint(-30, -30), false},
        {"below", o + QPoint(5, h + 40), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.where);
        cursor = row.at;
        const int x = display->lblSongTitle->x();
        const QString text = display->lblSongTitle->text();
        refresh(3);
        if (row.frozen) {
            EXPECT_EQ(display->lblSongTitle->x(), x);
            EXPECT_EQ(display->lblSongTitle->text(), text);
        } else {
            EXPECT_NE(display->lblSongTitle->x(), x);
        }
    }
}

TEST_F(DisplayTest, ANewTitleRestartsTheScrollFromTheSeparator)
{
    recording(false);
    const QString first = QStringLiteral("Now Recording: ") + QString(120, QLatin1Char('a'));
    const QString second = QStringLiteral("Now Recording: ") + QString(120, QLatin1Char('b'));
    status.displayCaption = first;
    refresh(150);
    ASSERT_FALSE(display->lblSongTitle->text().startsWith(QStringLiteral(" --- ")));

    status.displayCaption = second;
    refresh();
    const QString text = display->lblSongTitle->text();
    EXPECT_TRUE((QStringLiteral(" --- ") + second).startsWith(text) ||
                (QStringLiteral("--- ") + second).startsWith(text))
        << text.toStdString();
    EXPECT_EQ(display->Ticker().source(), QStringLiteral(" --- ") + second);
    EXPECT_EQ(display->DisplayTitle(), second);

    // Even with the mouse on the title, a new title restarts it.
    cursor = display->pcSize->mapToGlobal(QPoint(10, 10));
    status.displayCaption = first;
    refresh();
    EXPECT_TRUE((QStringLiteral(" --- ") + first).startsWith(display->lblSongTitle->text()));
}

TEST_F(DisplayTest, ATitleThatFitsStandsAtTheLeftUnchanged)
{
    recording(false);
    status.displayCaption = QStringLiteral("Now Recording: ") + QString(300, QLatin1Char('m'));
    refresh(20);
    ASSERT_LT(display->lblSongTitle->x(), 0);
    const QString titles[] = {QStringLiteral("Now Recording: Short"), QString(), QStringLiteral("PAUSED..."),
                              QStringLiteral("Now Recording: <b>Tom</b> & Co")};  // shown as plain text
    for (const QString& title : titles) {
        status.displayCaption = title;
        refresh(2);
        EXPECT_EQ(display->lblSongTitle->text(), title);
        EXPECT_EQ(display->lblSongTitle->x(), 0);
    }
}

TEST_F(DisplayTest, LongAndStrangeTitlesScrollWithoutGrowingTheWindow)
{
    recording(false);
    const QSize size = display->size();
    const QSize labelSize = display->lblSongTitle->size();
    const QString titles[] = {
        QStringLiteral("Now Recording: ") + QString(2000, QLatin1Char('x')),
        QStringLiteral("Now Recording: \x01\x02\t\r\n control ") + QString(200, QLatin1Char('c')),
        QStringLiteral("Now Recording: \u202e") + QString::fromUtf8("שלום עולם ").repeated(30),
        QStringLiteral("Now Recording: ") + QString::fromUtf8("مرحبا بالعالم ").repeated(30) + QStringLiteral("\u200f"),
        QString(2000, QChar(0x0301)),  // combining marks only
    };
    for (const QString& title : titles) {
        status.displayCaption = title;
        QElapsedTimer timer;
        timer.start();
        refresh(40);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(display->size(), size);
        EXPECT_EQ(display->lblSongTitle->size(), labelSize);
        EXPECT_LE(display->lblSongTitle->x(), 0);
        const QString shown = display->lblSongTitle->text();
        EXPECT_FALSE(shown.contains(QChar(0x202e)));
        EXPECT_FALSE(shown.contains(QLatin1Char('\n')));
        EXPECT_FALSE(shown.contains(QLatin1Char('\x01')));
        if (QFontMetrics(display->lblSongTitle->font()).horizontalAdvance(title) > labelSize.width()) {
            EXPECT_LT(shown.size(), 400);  // only what fills the label
        }
    }
}

TEST_F(DisplayTest, AWiderWindowGivesTheTitleMoreRoom)
{
    recording(false);
    const QString title = QStringLiteral("Now Recording: ") + QString(60, QLatin1Char('n'));
    const QFontMetrics fm(display->lblSongTitle->font());
    const int width = fm.horizontalAdvance(title);
    ASSERT_GT(width, display->lblSongTitle->width());
    status.displayCaption = title;
    refresh(5);
    ASSERT_LT(display->lblSongTitle->x(), 0);

    // The controls scale with the window, the title's viewport and label too.
    const double factor = double(width + 40) / display->pcSize->width();
    display->resize(int(display->width() * factor) + 1, display->height());
    ASSERT_TRUE(WaitUntil([&] { return display->pcSize->width() > width; }, 2000));
    EXPECT_EQ(display->lblSongTitle->width(), display->pcSize->width());
    refresh();
    if (QFontMetrics(display->lblSongTitle->font()).horizontalAdvance(title) <= display->lblSongTitle->width()) {
        EXPECT_EQ(display->lblSongTitle->text(), title);
        EXPECT_EQ(display->lblSongTitle->x(), 0);
    } else {
        ADD_FAILURE() << "the label's font grew faster than the window";
    }
}
