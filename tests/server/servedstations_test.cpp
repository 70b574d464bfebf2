#include "server/servedstations.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class ServedStationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", folder.file(QStringLiteral("xdg")).toUtf8());
        ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("Presets"))));
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    TempFolder folder;
    ServedStations stations{folder.file(QStringLiteral("Playlist.txt")), folder.file(QStringLiteral("Presets"))};
};

// The list's entries, then the presets by name; each id stays as long as
// its entry or file does, and the same entry twice is offered once.
TEST_F(ServedStationsTest, ListsTheListThenThePresets)
{
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Playlist.txt")),
                         "Jazz\r\nhttp://a.example/j.pls\r\nRock\r\nhttp://a.example/r.pls\r\n"
                         "Jazz\r\nhttp://a.example/j.pls\r\nJazz\r\nhttp://b.example/j.pls\r\n"));
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Presets/b.tvp")),
                         "Caf\xc3\xa9 Radio\r\nhttp://c.example/c.pls\r\nSONGNAMEONLY\r\n/music/\r\n 0 \r\n 0 \r\n"));
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Presets/a.tvp")),
                         "\r\nhttp://d.example/d.pls\r\nSONGNAMEONLY\r\n/music/\r\n 0 \r\n 0 \r\n"));
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Presets/broken.tvp")), "only one line"));
    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Presets/notes.txt")), "Notes\r\nhttp://e.example/\r\n"));

    const QList<ServedStation> all = stations.All();
    const struct {
        const char* title;
        const char* address;
        bool preset;
    } expected[] = {
        {"Jazz", "http://a.example/j.pls", false},
        {"Rock", "http://a.example/r.pls", false},
        {"Jazz", "http://b.example/j.pls", false},
        {"a", "http://d.example/d.pls", true}, // a preset without a title is named by its file
        {"Caf\u00e9 Radio", "http://c.example/c.pls", true},
    };
    ASSERT_EQ(all.size(), std::size(expected));
    QStringList ids;
    for (qsizetype i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].title, QString::fromUtf8(expected[i].title)) << i;
        EXPECT_EQ(all[i].address, QString::fromLatin1(expected[i].address)) << i;
        EXPECT_EQ(all[i].preset.isEmpty(), !expected[i].preset) << i;
        EXPECT_EQ(stations.Find(all[i].id), all[i]) << i;
        ids << all[i].id;
    }
    ids.removeDuplicates();
    EXPECT_EQ(ids.size(), all.size());
    EXPECT_EQ(stations.All(), all) << "the ids stay";
    EXPECT_TRUE(stations.Find(QStringLiteral("list-000000000000")).id.isEmpty());
    EXPECT_TRUE(stations.Find(folder.file(QStringLiteral("Presets/b.tvp"))).id.isEmpty()) << "a path is no id";
}

// Added to the end of the list once; removed from the list, a preset to the trash.
TEST_F(ServedStationsTest, AddsAndRemoves)
{
    QString problem;
    const ServedStation added =
        stations.Add(QStringLiteral("Jazz"), QStringLiteral("http://a.example/j.pls"), &problem);
    ASSERT_FALSE(added.id.isEmpty()) << problem.toStdString();
    EXPECT_EQ(stations.Add(QStringLiteral("Jazz"), QStringLiteral("http://a.example/j.pls"), &problem), added);
    const ServedStation other =
        stations.Add(QStringLiteral("Rock"), QStringLiteral("http://a.example/r.pls"), &problem);
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Playlist.txt"))),
              "Jazz\r\nhttp://a.example/j.pls\r\nRock\r\nhttp://a.example/r.pls\r\n");

    ASSERT_TRUE(stations.Remove(added.id, &problem)) << problem.toStdString();
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("Playlist.txt"))), "Rock\r\nhttp://a.example/r.pls\r\n");
    EXPECT_FALSE(stations.Remove(added.id, &problem));
    EXPECT_FALSE(problem.isEmpty());

    ASSERT_TRUE(WriteAll(folder.file(QStringLiteral("Presets/b.tvp")), "B\r\nhttp://b.example/\r\n"));
    const QList<ServedStation> all = stations.All();
    ASSERT_EQ(all.size(), 2);
    ASSERT_TRUE(stations.Remove(all[1].id, &problem)) << problem.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("Presets/b.tvp"))));
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("xdg/Trash/files/b.tvp"))));
    EXPECT_EQ(stations.All(), QList<ServedStation>{other});
}

} // namespace
