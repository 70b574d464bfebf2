// The real program, headless, recording the local test station with song
// rules: a jingle and an advertisement skipped, the songs not recorded
// whole set aside in "incomplete".
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

struct TitleAt {
    qint64 at;
    QString title;
};

// Where in the audio the station sent each title, and how much audio it sent.
std::vector<TitleAt> titlesSent(const QString& logPath, qint64* total)
{
    std::vector<TitleAt> titles;
    const QRegularExpression title(QStringLiteral("^TITLE id=\\d+ audio=(\\d+) title=(.*)$"));
    const QRegularExpression end(QStringLiteral("^END id=\\d+ path=\\S+ audio=(\\d+)"));
    *total = 0;
    for (const QByteArray& line : ReadAll(logPath).split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (const auto m = title.match(text); m.hasMatch())
            titles.push_back({m.captured(1).toLongLong(), m.captured(2)});
        if (const auto m = end.match(text); m.hasMatch())
            *total += m.captured(1).toLongLong();
    }
    return titles;
}

qint64 audioIn(const QString& folder)
{
    qint64 audio = 0;
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files)) {
        const QByteArray bytes = ReadAll(QDir(folder).filePath(f));
        audio += bytes.size() - (bytes.size() >= 128 && bytes.mid(bytes.size() - 128, 3) == "TAG" ? 128 : 0);
    }
    return audio;
}

} // namespace

TEST(SongRulesEndToEnd, JingleAndAdvertAreSkippedAndPartSongsSetAside)
{
    TempFolder dir, recordings;
    StationProcess station;
    const QString log = dir.file(QStringLiteral("station.log"));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("Tonquill-user.ini")),
                         "[Registration]\r\nCleanCuts=0\r\nIncompleteApart=1\r\n"));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("IgnoreList.txt")), "# station noise\r\n*jingle*\r\n/^advert/\r\n"));
    // Sent at its pace (320 kbit/s, under six seconds in all), not in one
    // burst: a station's whole stream does not come before the lists are
    // compiled, however busy the machine is.
    ASSERT_TRUE(station.Start({QStringLiteral("--bitrate"), QStringLiteral("320"), QStringLiteral("--metaint"),
                               QStringLiteral("4000"), QStringLiteral("--song-bytes"), QStringLiteral("40000"),
                               QStringLiteral("--titles"),
                               QStringLiteral("Alpha - First,Radio Jingle,ADVERT Buy Now,Beta - Second,Gamma - Third,"
                                              "Delta - Fourth")},
                              log));
    const QString playlist =
        QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D220000%26down%3D600&as=.pls")
            .arg(station.Port());
    const QString preset = dir.file(QStringLiteral("test.tvp"));
    ASSERT_TRUE(WriteAll(
        preset,
        ("E2E Station\r\n" + playlist + "\r\nSONGNAMEONLY\r\n" + recordings.path() + "\r\n 0 \r\n 0 \r\n").toUtf8()));
    Tonquill tonquill(dir.path());
    ASSERT_TRUE(tonquill.Start({preset}));
    qint64 sent = 0;
    ASSERT_TRUE(WaitUntil([&] { return titlesSent(log, &sent), sent >= 220000; }, 30000))
        << tonquill.Output().constData() << tonquill.Errors().constData();
    ASSERT_TRUE(tonquill.WaitForOutput("[ERR] NETWORK: Reconnecting...", 9000)) << tonquill.Output().constData();
    tonquill.Signal(SIGTERM);
    ASSERT_TRUE(tonquill.WaitForEnd(10000));
    EXPECT_EQ(tonquill.ExitCode(), 0) << tonquill.Errors().constData();
    const QByteArray out = tonquill.Output();
    EXPECT_TRUE(out.contains("Skipped: Radio Jingle")) << out.constData();
    EXPECT_TRUE(out.contains("Skipped: ADVERT Buy Now")) << out.constData();

    const QString incomplete = recordings.file(QStringLiteral("incomplete"));
    EXPECT_EQ(QDir(recordings.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name),
              QStringList({"Beta - Second.mp3", "Gamma - Third.mp3"}));
    const QStringList aside = QDir(incomplete).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    ASSERT_EQ(aside.size(), 3) << aside.join(',').toStdString();
    EXPECT_EQ(aside.mid(0, 2), QStringList({"Alpha - First.mp3", "Delta - Fourth.mp3"}));

    // Every byte the station sent is in exactly one file, but the jingle's
    // and the advertisement's.
    const std::vector<TitleAt> titles = titlesSent(log, &sent);
    qint64 skipped = 0;
    for (size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].title.contains(QLatin1String("Jingle")) || titles[i].title.startsWith(QLatin1String("ADVERT")))
            skipped += (i + 1 < titles.size() ? titles[i + 1].at : sent) - titles[i].at;
    }
    EXPECT_GE(skipped, 2 * 36000);
    EXPECT_EQ(audioIn(recordings.path()) + audioIn(incomplete), sent - skipped);
}
