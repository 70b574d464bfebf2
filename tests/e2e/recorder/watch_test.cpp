// The real program watching local test stations beside a recording:
// `tonquill --record r.tvp --watch a.tvp b.tvp c.tvp`. A wished song is
// caught once, as the recording has it; every title goes into the history;
// SIGUSR1 saves the last minutes of every station.
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <array>
#include <csignal>
#include <gtest/gtest.h>

namespace {

QStringList mp3sIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
}

QByteArray audioOf(const QString& path)
{
    QByteArray bytes = ReadAll(path);
    if (bytes.size() >= 128 && bytes.mid(bytes.size() - 128, 3) == "TAG")
        bytes.chop(128);
    return bytes;
}

// The audio of a stream as the station sends it to anyone (no titles in it).
QByteArray streamAudio(quint16 port, const QByteArray& path)
{
    const Fetched f = Fetch(port, path, false, 20000);
    const qsizetype end = f.bytes.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : f.bytes.mid(end + 4);
}

class Watching : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Songs are cut at the byte; a minute is kept of each station.
        ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Tonquill-user.ini")),
                             "[Registration]\r\nCleanCuts=0\r\nNotifySongs=1\r\nWatchMinutes=1\r\n"));
        ASSERT_TRUE(WriteAll(home.file(QStringLiteral("WishList.txt")), "# wished\r\nWished - *\r\n"));
    }

    QString preset(const QString& title, const StationProcess& station, const QByteArray& query, const QString& folder)
    {
        const QString playlist = QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3F%2&as=.pls")
                                     .arg(station.Port())
                                     .arg(QString::fromLatin1(query.toPercentEncoding()));
        const QString path = home.file(title + QStringLiteral(" preset.tvp"));
        WriteAll(path, (title + "\r\n" + playlist + "\r\nSONGNAMEONLY\r\n" + folder + "\r\n 0 \r\n 0 \r\n").toUtf8());
        return path;
    }

    QJsonArray history(const QStringList& switches)
    {
        Tonquill reader(home.path());
        EXPECT_TRUE(reader.Start(QStringList{QStringLiteral("--history"), QStringLiteral("--json")} + switches));
        EXPECT_TRUE(reader.WaitForEnd(15000));
        EXPECT_EQ(reader.ExitCode(), 0) << reader.Errors().constData();
        return QJsonDocument::fromJson(reader.Output()).array();
    }

    TempFolder home;
};

} // namespace

TEST_F(Watching, AWishedSongIsCaughtOnceAsARecordingHasItAndEveryTitleIsKept)
{
    // The same station three times (a station goes down for all once one
    // stream ends): recorded, and watched twice. In real time, so that the
    // watched stations play the wished song at the same time.
    std::array<StationProcess, 3> wishing;
    for (size_t i = 0; i < wishing.size(); ++i)
        ASSERT_TRUE(
            wishing[i].Start({QStringLiteral("--metaint"), QStringLiteral("4000"), QStringLiteral("--song-bytes"),
                              QStringLiteral("40000"), QStringLiteral("--titles"),
                              QStringLiteral("Alpha - One,Wished - Song,Alpha - Three")},
                             home.file(QStringLiteral("wishing%1.log").arg(i))));
    StationProcess plain;
    ASSERT_TRUE(plain.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("4000"),
                             QStringLiteral("--song-bytes"), QStringLiteral("40000"), QStringLiteral("--titles"),
                             QStringLiteral("Beta - One,Beta - Two")},
                            home.file(QStringLiteral("plain.log"))));
    const QByteArray query = "total=130000&down=600";
    TempFolder recorded, first, second, other;
    const QStringList args{QStringLiteral("--record"),
                           preset(QStringLiteral("Recorded"), wishing[0], query, recorded.path()),
                           QStringLiteral("--watch"),
                           preset(QStringLiteral("Watch One"), wishing[1], query, first.path()),
                           preset(QStringLiteral("Watch Two"), wishing[2], query, second.path()),
                           preset(QStringLiteral("Plain FM"), plain, query, other.path())};
    Tonquill tonquill(home.path());
    ASSERT_TRUE(tonquill.Start(args));
    for (const char* title : {"Recorded", "Watch One", "Watch Two", "Plain FM"})
        ASSERT_TRUE(tonquill.WaitForOutput("[" + QByteArray(title) + "] [ERR] NETWORK: Reconnecting...", 30000))
            << title << tonquill.Output().constData() << tonquill.Errors().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(15000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    EXPECT_TRUE(tonquill.Errors().isEmpty()) << tonquill.Errors().constData();
    const QByteArray out = tonquill.Output();

    // The recording has every song; the wished one is caught once, on the
    // watched station that began it first, as the recording has it.
    const QString wished = QStringLiteral("Wished - Song.mp3");
    ASSERT_TRUE(mp3sIn(recorded.path()).contains(wished)) << mp3sIn(recorded.path()).join(',').toStdString();
    const QStringList caughtFirst = mp3sIn(first.path());
    const QStringList caughtSecond = mp3sIn(second.path());
    ASSERT_EQ(caughtFirst.size() + caughtSecond.size(), 1)
        << caughtFirst.join(',').toStdString() << " | " << caughtSecond.join(',').toStdString() << out.constData();
    const QString caughtIn = caughtFirst.isEmpty() ? second.path() : first.path();
    const QByteArray catcher = caughtFirst.isEmpty() ? "Watch Two" : "Watch One";
    ASSERT_EQ(mp3sIn(caughtIn), QStringList{wished});
    const QByteArray song = audioOf(QDir(recorded.path()).filePath(wished));
    ASSERT_GT(song.size(), 30000);
    EXPECT_TRUE(audioOf(QDir(caughtIn).filePath(wished)) == song)
        << audioOf(QDir(caughtIn).filePath(wished)).size() << " bytes caught, " << song.size() << " recorded";
    // The song's audio from its first frame, as the station sends it.
    StationProcess again;
    ASSERT_TRUE(again.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("4000"),
                             QStringLiteral("--song-bytes"), QStringLiteral("40000"), QStringLiteral("--titles"),
                             QStringLiteral("Alpha - One,Wished - Song,Alpha - Three")},
                            home.file(QStringLiteral("again.log"))));
    const QByteArray stream = streamAudio(again.Port(), "/stream?total=130000&fast=1");
    ASSERT_EQ(stream.size(), 130000);
    // (Cut at the byte of the title change, as CleanCuts=0 asks.)
    EXPECT_GT(stream.indexOf(song), 0);
    EXPECT_TRUE(out.contains("[" + catcher + "] Caught on " + catcher + ": Wished - Song")) << out.constData();
    EXPECT_EQ(out.count("Caught on "), 1) << out.constData();
    EXPECT_TRUE(out.contains("Wished - Song is caught on " + catcher + " already")) << out.constData();
    // Nothing else of a watched station is written.
    EXPECT_TRUE(mp3sIn(other.path()).isEmpty()) << mp3sIn(other.path()).join(',').toStdString();

    // Every station's titles, newest first.
    const QJsonArray plain_ = history({QStringLiteral("--station"), QStringLiteral("Plain FM")});
    ASSERT_GE(plain_.size(), 2) << QJsonDocument(plain_).toJson().constData();
    QStringList titles;
    for (const QJsonValue& v : plain_) {
        const QJsonObject o = v.toObject();
        titles.prepend(o[QStringLiteral("title")].toString());
        EXPECT_EQ(o[QStringLiteral("station")].toString(), QStringLiteral("Plain FM"));
        EXPECT_EQ(o[QStringLiteral("file")].toString(), QString());
        EXPECT_FALSE(o[QStringLiteral("end")].isNull()); // ended when the run did
    }
    EXPECT_EQ(titles.mid(0, 2), QStringList({QStringLiteral("Beta - One"), QStringLiteral("Beta - Two")}));
    const QJsonArray caught = history({QStringLiteral("--station"), QString::fromLatin1(catcher),
                                       QStringLiteral("--title"), QStringLiteral("wished")});
    ASSERT_EQ(caught.size(), 1) << QJsonDocument(caught).toJson().constData();
    EXPECT_EQ(caught[0].toObject()[QStringLiteral("file")].toString(), QDir(caughtIn).filePath(wished));
    EXPECT_EQ(caught[0].toObject()[QStringLiteral("state")].toString(), QStringLiteral("complete"));
    EXPECT_EQ(caught[0].toObject()[QStringLiteral("artist")].toString(), QStringLiteral("Wished"));
    // The other watched station heard it too, and wrote nothing of it.
    const QByteArray otherWatch = catcher == "Watch One" ? "Watch Two" : "Watch One";
    const QJsonArray heard = history({QStringLiteral("--station"), QString::fromLatin1(otherWatch),
                                      QStringLiteral("--title"), QStringLiteral("wished")});
    ASSERT_EQ(heard.size(), 1) << QJsonDocument(heard).toJson().constData();
    EXPECT_EQ(heard[0].toObject()[QStringLiteral("file")].toString(), QString());
    EXPECT_EQ(heard[0].toObject()[QStringLiteral("state")].toString(), QStringLiteral("skipped"));
    EXPECT_FALSE(out.contains("[" + otherWatch + "] Deleted")) << out.constData();
    const QJsonArray recordedPlays = history({QStringLiteral("--station"), QStringLiteral("Recorded")});
    bool recordedWished = false;
    for (const QJsonValue& v : recordedPlays)
        recordedWished |= v.toObject()[QStringLiteral("file")].toString() == QDir(recorded.path()).filePath(wished);
    EXPECT_TRUE(recordedWished) << QJsonDocument(recordedPlays).toJson().constData();
}

// SIGUSR1 writes the kept minute of each station: the last whole frames it
// sent, kept after its stream ended, and the run goes on.
TEST_F(Watching, TheLastMinutesAreTheStreamsLastFrames)
{
    StationProcess station;
    ASSERT_TRUE(station.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("8192"),
                               QStringLiteral("--song-bytes"), QStringLiteral("400000"), QStringLiteral("--titles"),
                               QStringLiteral("Gamma - One,Gamma - Two")},
                              home.file(QStringLiteral("station.log"))));
    // 1.5 MB at 128 kbit/s: 94 s of audio, more than the minute kept.
    const QByteArray query = "total=1500000&down=600";
    TempFolder folder;
    Tonquill tonquill(home.path());
    ASSERT_TRUE(
        tonquill.Start({QStringLiteral("--watch"), preset(QStringLiteral("Night FM"), station, query, folder.path())}));
    ASSERT_TRUE(tonquill.WaitForOutput("[Night FM] [ERR] NETWORK: Reconnecting...", 30000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    tonquill.Signal(SIGUSR1);
    ASSERT_TRUE(tonquill.WaitForOutput("[Night FM] Saved the last minutes: ", 15000)) << tonquill.Output().constData();
    const QStringList saved = mp3sIn(folder.path());
    ASSERT_EQ(saved.size(), 1) << saved.join(',').toStdString();
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^Night FM - \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d - last 1 minutes\\.mp3$"))
                    .match(saved.first())
                    .hasMatch())
        << saved.first().toStdString();
    const QByteArray kept = ReadAll(QDir(folder.path()).filePath(saved.first()));
    // What the station sent, from a station of its own like it (this one is down now).
    StationProcess again;
    ASSERT_TRUE(again.Start({QStringLiteral("--fast"), QStringLiteral("--metaint"), QStringLiteral("8192"),
                             QStringLiteral("--song-bytes"), QStringLiteral("400000"), QStringLiteral("--titles"),
                             QStringLiteral("Gamma - One,Gamma - Two")},
                            home.file(QStringLiteral("again.log"))));
    const QByteArray stream = streamAudio(again.Port(), "/stream?total=1500000&fast=1");
    ASSERT_EQ(stream.size(), 1500000);
    // The stream's tail, from a whole frame to its last whole frame (the
    // stream ends where its byte count does, in the middle of a frame), a
    // minute long (128 kbit/s: 16000 bytes a second).
    const qsizetype at = stream.lastIndexOf(kept);
    ASSERT_GT(at, 0) << kept.size() << " bytes kept";
    EXPECT_GT(at + kept.size(), stream.size() - 418) << at << " + " << kept.size() << " of " << stream.size();
    EXPECT_EQ(static_cast<quint8>(kept[0]), 0xff);
    EXPECT_GE(kept.size(), 60 * 16000 - 420);
    EXPECT_LE(kept.size(), 60 * 16000 + 2 * 420);
    tonquill.Signal(SIGINT);
    ASSERT_TRUE(tonquill.WaitForEnd(15000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
}
