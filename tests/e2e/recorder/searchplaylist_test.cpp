// A station chosen in the Radio Browser search becomes a playlist file; the
// real program records from that file like from any playlist.
#include "config/settings.h"
#include "platform/folders.h"
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"
#include "ui/search/stationsearch.h"

#include <QDir>
#include <csignal>
#include <gtest/gtest.h>

TEST(SearchPlaylistRecording, TheWrittenPlaylistIsRecordedSongBySong)
{
    TempFolder home, recordings;
    StationProcess station;
    ASSERT_TRUE(station.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("4000"),
                               QStringLiteral("--song-bytes"), QStringLiteral("50000"), QStringLiteral("--titles"),
                               QStringLiteral("Alpha - One,Beta - Two")},
                              home.file(QStringLiteral("station.log"))));
    RadioStation found;
    found.uuid = QStringLiteral("e2e-uuid");
    found.name = QStringLiteral("Found\nStation");
    found.url = QStringLiteral("http://127.0.0.1:%1/stream?total=150000&down=600").arg(station.Port());
    QString error;
    const QString playlist = WriteStationPlaylist(home.file(QStringLiteral("Stations/")), found, &error);
    ASSERT_FALSE(playlist.isEmpty()) << error.toStdString();

    // The recordings go to the last folder used.
    ProgramFolders::SetOverride(home.path());
    SetLastPath(recordings.path());
    ProgramFolders::SetOverride(QString());

    Tonquill tonquill(home.path());
    ASSERT_TRUE(tonquill.Start({playlist}));
    const QString first = recordings.file(QStringLiteral("Alpha - One.mp3"));
    ASSERT_TRUE(tonquill.WaitForOutput("Saved " + first.toUtf8(), 20000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    const QByteArray bytes = ReadAll(first);
    EXPECT_GT(bytes.size(), 40000);
    EXPECT_EQ(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
    EXPECT_TRUE(QFile::exists(recordings.file(QStringLiteral("Beta - Two.mp3"))));
}
