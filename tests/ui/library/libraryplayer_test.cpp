// The library's player: what it plays, in which order, and what it shows.
#include "tests/support/widgets/control.h"
#include "tests/support/fakefileplayer.h"
#include "ui/library/librarymodel.h"
#include "ui/library/libraryplayerbar.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

LibraryEntry song(const QString& path, qint64 size, const QString& problem = {})
{
    LibraryEntry e;
    e.path = path;
    e.title = path.mid(1);
    e.size = size;
    e.lengthMs = 187000;
    e.problem = problem;
    e.known = true;
    return e;
}

struct PlayerFixture : ::testing::Test {
    PlayerFixture()
    {
        // Shown by size: /b, /a, /bad, /c.
        model.Add(
            {song("/a", 20), song("/b", 10), song("/c", 40), song("/bad", 30, "No MP3 audio was found in the file.")});
        filter.setSourceModel(&model);
        filter.sort(LibraryModel::SizeColumn, Qt::AscendingOrder);
        bar = std::make_unique<LibraryPlayerBar>(filter, selection);
        bar->SetPlayerMaker([this](QString&) {
            ++made;
            auto p = std::make_unique<FakeFilePlayer>(log);
            fake = p.get();
            return std::unique_ptr<IFilePlayer>(std::move(p));
        });
        QObject::connect(bar.get(), &LibraryPlayerBar::problem, [this](const QString& t) { problems << t; });
        QObject::connect(bar.get(), &LibraryPlayerBar::playingStarted, [this] { ++started; });
    }
    // The bar stops its player on its way out, which logs: it goes first.
    ~PlayerFixture() override { bar.reset(); }
    QString playText() const { return Control<QPushButton>(bar.get(), "cmdPlay")->text(); }

    LibraryModel model;
    LibraryFilter filter;
    QItemSelectionModel selection{&filter};
    std::unique_ptr<LibraryPlayerBar> bar;
    FakeFilePlayer* fake = nullptr;
    QStringList log;
    QStringList problems;
    int made = 0;
    int started = 0;
};

} // namespace

// Next and Previous follow the list as shown; the file that holds no audio
// is not played and says why; at either end the player stops.
TEST_F(PlayerFixture, NextAndPreviousFollowTheListsOrder)
{
    const struct Step {
        const char* what;
        std::function<void(LibraryPlayerBar&)> act;
        const char* logged; // the player's last call, "" for none
        const char* playing;
        int problems;
    } steps[] = {
        {"play with nothing selected", [](LibraryPlayerBar& b) { b.PlayOrPause(); }, "play /b", "/b", 0},
        {"next", [](LibraryPlayerBar& b) { b.Next(); }, "play /a", "/a", 0},
        {"next: the damaged file", [](LibraryPlayerBar& b) { b.Next(); }, "stop", "", 1},
        {"next after it", [](LibraryPlayerBar& b) { b.Next(); }, "play /c", "/c", 1},
        {"next at the end", [](LibraryPlayerBar& b) { b.Next(); }, "stop", "", 1},
        {"previous from the end", [](LibraryPlayerBar& b) { b.Previous(); }, "stop", "", 2},
        {"previous again", [](LibraryPlayerBar& b) { b.Previous(); }, "play /a", "/a", 2},
        {"pause", [](LibraryPlayerBar& b) { b.PlayOrPause(); }, "pause", "/a", 2},
        {"go on", [](LibraryPlayerBar& b) { b.PlayOrPause(); }, "resume", "/a", 2},
        {"a row double-clicked", [](LibraryPlayerBar& b) { b.PlayRow(3); }, "play /c", "/c", 2},
        {"no such row", [](LibraryPlayerBar& b) { b.PlayRow(9); }, "play /c", "/c", 2},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act(*bar);
        EXPECT_EQ(log.isEmpty() ? QString() : log.last(), QLatin1String(s.logged));
        EXPECT_EQ(bar->Playing(), QLatin1String(s.playing));
        EXPECT_EQ(problems.size(), s.problems);
    }
    EXPECT_EQ(made, 1);
    EXPECT_EQ(problems.first(), QStringLiteral("\"/bad\" cannot be played: No MP3 audio was found in the file."));
    // Every play and every resume told the program (its listening stops).
    EXPECT_EQ(started, int(log.filter(QRegularExpression("^(play|resume)")).size()));
    // The row playing is the row selected.
    EXPECT_EQ(selection.currentIndex().data(LibraryModel::PathRole).toString(), QStringLiteral("/c"));
}

// The time, the length and the slider follow the player; the slider seeks.
TEST_F(PlayerFixture, TimeLengthAndSeeking)
{
    EXPECT_EQ(bar->TimeText(), QString());
    bar->SetVolume(140);
    bar->PlayRow(0);
    ASSERT_NE(fake, nullptr);
    EXPECT_TRUE(log.contains(QStringLiteral("volume 100"))); // clamped, given before it plays
    EXPECT_EQ(playText(), QStringLiteral("Pause"));
    EXPECT_EQ(bar->TimeText(), QStringLiteral("0:00 / 3:07")); // the length the list knows
    const struct Case {
        qint64 duration, position;
        const char* text;
    } cases[] = {{200000, 0, "0:00 / 3:20"}, {200000, 65000, "1:05 / 3:20"}, {3725000, 3599000, "59:59 / 1:02:05"}};
    auto* slider = Control<QSlider>(bar.get(), "sldPosition");
    for (const Case& c : cases) {
        fake->c.durationChanged(c.duration);
        fake->c.positionChanged(c.position);
        EXPECT_EQ(bar->TimeText(), QLatin1String(c.text));
        EXPECT_EQ(Control<QLabel>(bar.get(), "lblPlayTime")->text(), QLatin1String(c.text));
        EXPECT_EQ(slider->maximum(), c.duration);
        EXPECT_EQ(slider->value(), c.position);
    }
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(log.last(), QStringLiteral("seek %1").arg(slider->sliderPosition()));
    bar->SetVolume(35);
    EXPECT_EQ(log.last(), QStringLiteral("volume 35"));
    // Played to its end, the next row plays.
    fake->c.finished();
    EXPECT_EQ(log.last(), QStringLiteral("play /a"));
    fake->c.failed(QStringLiteral("no codec"));
    EXPECT_EQ(problems.last(), QStringLiteral("\"/a\" cannot be played: no codec"));
    bar->PlayOrPause();
    EXPECT_EQ(playText(), QStringLiteral("Play"));
    bar->Stop();
    EXPECT_EQ(bar->TimeText(), QString());
    EXPECT_FALSE(slider->isEnabled());
}

// Without a player (no sound part) nothing plays, and the reason is told.
TEST_F(PlayerFixture, NoPlayerSaysWhy)
{
    bar->SetPlayerMaker([](QString& why) {
        why = QStringLiteral("No file player: not installed");
        return std::unique_ptr<IFilePlayer>();
    });
    bar->PlayOrPause();
    EXPECT_EQ(problems, QStringList{QStringLiteral("No file player: not installed")});
    EXPECT_EQ(bar->Playing(), QString());
    EXPECT_EQ(started, 0);
}
