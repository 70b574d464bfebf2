// The plays as "tonquill --history" prints them.
#include "history/historyprint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

Play play(const char* station, const char* title, QDateTime start, QDateTime end, const char* file, const char* state)
{
    Play p;
    p.station = QString::fromUtf8(station);
    p.title = QString::fromUtf8(title);
    SplitTitle(p.title, &p.artist, &p.song);
    p.start = start;
    p.end = end;
    p.file = QString::fromUtf8(file);
    p.state = QString::fromUtf8(state);
    return p;
}

const QDateTime kStart(QDate(2026, 3, 1), QTime(14, 2, 10));

} // namespace

TEST(HistoryPrintTest, OneLinePerPlay)
{
    const struct {
        Play play;
        const char* line;
    } cases[] = {
        {play("Harbour Jazz", "Miles Davis - So What", kStart, kStart.addSecs(214), "/m/Miles Davis - So What.mp3",
              "complete"),
         "2026-03-01 14:02:10 - 14:05:44  [Harbour Jazz] Miles Davis - So What  (complete)  "
         "/m/Miles Davis - So What.mp3\n"},
        {play("Night FM", "Late", kStart, {}, "", "incomplete"),
         "2026-03-01 14:02:10 - ...  [Night FM] Late  (incomplete)\n"},
        {play("Night FM", "Over midnight", QDateTime(QDate(2026, 3, 1), QTime(23, 58)),
              QDateTime(QDate(2026, 3, 2), QTime(0, 3, 1)), "", "skipped"),
         "2026-03-01 23:58:00 - 2026-03-02 00:03:01  [Night FM] Over midnight  (skipped)\n"},
        {play("Caf\xc3\xa9", "\xc3\x89t\xc3\xa9", kStart, kStart.addSecs(1), "", "version"),
         "2026-03-01 14:02:10 - 14:02:11  [Caf\xc3\xa9] \xc3\x89t\xc3\xa9  (version)\n"},
    };
    std::vector<Play> all;
    QByteArray lines;
    for (const auto& c : cases) {
        EXPECT_EQ(PlaysAsText({c.play}), QByteArray(c.line));
        all.push_back(c.play);
        lines += c.line;
    }
    EXPECT_EQ(PlaysAsText(all), lines);
    EXPECT_EQ(PlaysAsText({}), QByteArray());
}

TEST(HistoryPrintTest, JsonHasTheFieldsOfEveryPlayInOrder)
{
    const std::vector<Play> plays = {
        play("Harbour Jazz", "Miles Davis - So What", kStart, kStart.addSecs(214), "/m/a.mp3", "complete"),
        play("Night \"FM\"", "No dash", kStart.addSecs(-600), {}, "", "incomplete"),
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(PlaysAsJson(plays), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(doc.isArray());
    const QJsonArray array = doc.array();
    ASSERT_EQ(array.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject o = array[i].toObject();
        const Play& p = plays[size_t(i)];
        QStringList keys = o.keys();
        keys.sort();
        EXPECT_EQ(keys, QStringList({QStringLiteral("artist"), QStringLiteral("end"), QStringLiteral("file"),
                                     QStringLiteral("start"), QStringLiteral("state"), QStringLiteral("station"),
                                     QStringLiteral("title")}));
        EXPECT_EQ(o[QStringLiteral("station")].toString(), p.station);
        EXPECT_EQ(o[QStringLiteral("title")].toString(), p.title);
        EXPECT_EQ(o[QStringLiteral("artist")].toString(), p.artist);
        EXPECT_EQ(o[QStringLiteral("file")].toString(), p.file);
        EXPECT_EQ(o[QStringLiteral("state")].toString(), p.state);
        // The times carry their offset: read back they are the same moments.
        const QString start = o[QStringLiteral("start")].toString();
        EXPECT_TRUE(start.contains(QLatin1Char('+')) || start.contains(QLatin1Char('Z')) ||
                    start.lastIndexOf(QLatin1Char('-')) > 10)
            << start.toStdString();
        EXPECT_EQ(QDateTime::fromString(start, Qt::ISODate), p.start);
        if (p.end.isValid())
            EXPECT_EQ(QDateTime::fromString(o[QStringLiteral("end")].toString(), Qt::ISODate), p.end);
        else
            EXPECT_TRUE(o[QStringLiteral("end")].isNull());
    }
    EXPECT_EQ(QJsonDocument::fromJson(PlaysAsJson({})).array().size(), 0);
}
