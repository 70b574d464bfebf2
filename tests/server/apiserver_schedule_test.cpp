// The schedule of the API over the at jobs, with at, atq and atrm played.
#include "platform/atscheduler.h"
#include "server/apiserver.h"
#include "tests/support/eventwait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const char kToken[] = "abcdefghijklmnopqrstuvwx";

// Jobs live in a map; `installed` false plays a machine without at.
class PlayedAt : public ICommandRunner {
public:
    CommandResult Run(const QString& program, const QStringList& args, const QByteArray& input) override
    {
        CommandResult r{installed, true, 0, {}, {}};
        if (!installed)
            return r;
        if (program == QLatin1String("atq")) {
            for (auto it = jobs.cbegin(); it != jobs.cend(); ++it)
                r.out += QByteArray::number(it.key()) + "\tThu Dec 24 18:30:00 2026 a user\n";
        } else if (program == QLatin1String("at") && args.value(0) == QLatin1String("-c")) {
            r.out = "#!/bin/sh\n# atrun uid=0 gid=0\n" + jobs.value(args.value(1).toInt());
        } else if (program == QLatin1String("at")) {
            jobs.insert(next, input);
            r.err = "job " + QByteArray::number(next++) + " at Thu Dec 24 18:30:00 2026\n";
        } else if (program == QLatin1String("atrm")) {
            r.exitCode = jobs.remove(args.value(0).toInt()) ? 0 : 1;
        }
        return r;
    }
    QMap<int, QByteArray> jobs;
    bool installed = true;
    int next = 3;
};

struct Answer {
    int status = 0;
    QByteArray body;
    QJsonValue json() const
    {
        const QJsonDocument d = QJsonDocument::fromJson(body);
        return d.isArray() ? QJsonValue(d.array()) : QJsonValue(d.object());
    }
};

class ApiScheduleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteAll(m_folder.file(QStringLiteral("Playlist.txt")),
                             "Jazz\r\nhttp://a.example/j.pls\r\nLive\r\nhttp://l.example/stream\r\n"
                             "#1 Hits\r\nhttp://h.example/h.m3u\r\n"));
        ASSERT_TRUE(QDir().mkpath(m_folder.file(QStringLiteral("Presets"))));
        ASSERT_TRUE(WriteAll(m_folder.file(QStringLiteral("Presets/night.tvp")),
                             "Night FM\r\nhttp://n.example/n.pls\r\nSONGNAMEONLY\r\n/music/\r\n 0 \r\n 0 \r\n"));
        m_scheduler.now = [] { return QDateTime(QDate(2026, 12, 1), QTime(12, 0)); };
        m_server.SetStations(&m_stations);
        m_server.SetScheduler(&m_scheduler, QStringLiteral("/usr/bin/tonquill"), madePresets());
        m_port = m_server.Listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(m_port, 0);
    }

    Answer send(const QByteArray& method, const QString& path, const QByteArray& body = {})
    {
        QNetworkRequest r(QUrl(QStringLiteral("http://127.0.0.1:%1/api/v1%2").arg(m_port).arg(path)));
        r.setRawHeader("Authorization", QByteArray("Bearer ") + kToken);
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        QNetworkReply* reply = m_network.sendCustomRequest(r, method, body);
        EXPECT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 10000)) << path.toStdString();
        Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
        reply->deleteLater();
        return a;
    }

    QString madePresets() const { return m_folder.file(QStringLiteral("Scheduled")); }

    QString idOf(const QString& title)
    {
        for (const ServedStation& s : m_stations.All())
            if (s.title == title)
                return s.id;
        return {};
    }

    TempFolder m_folder;
    ServedStations m_stations{m_folder.file(QStringLiteral("Playlist.txt")), m_folder.file(QStringLiteral("Presets"))};
    PlayedAt m_at;
    AtScheduler m_scheduler{m_at};
    ApiServer m_server{QString::fromLatin1(kToken), m_folder.file(QStringLiteral("none"))};
    QNetworkAccessManager m_network;
    quint16 m_port = 0;
};

// Each request in order, with the status it gets and the jobs left.
TEST_F(ApiScheduleTest, SchedulesPresetsAsAtJobs)
{
    const QByteArray night = idOf(QStringLiteral("Night FM")).toUtf8();
    const QByteArray live = idOf(QStringLiteral("Live")).toUtf8();
    const struct Case {
        const char* method;
        const char* path;
        QByteArray body;
        int status;
        int jobs;
    } cases[] = {
        {"GET", "/schedule", {}, 200, 0},
        {"POST", "/schedule", "{\"station\": \"" + night + "\", \"start\": \"2026-12-24T18:30\"}", 201, 1},
        {"POST", "/schedule", "{\"station\": \"" + night + "\", \"start\": \"2026-12-24T18:30\"}", 409, 1},
        {"POST", "/schedule", "{\"station\": \"" + night + "\", \"start\": \"2026-11-24T18:30\", \"name\": \"b\"}", 422,
         1},
        {"POST", "/schedule", "{\"station\": \"" + night + "\", \"start\": \"24.12.2026 18:30\"}", 400, 1},
        {"POST", "/schedule", "{\"station\": \"" + live + "\", \"start\": \"2026-12-24T18:30\"}", 422, 1},
        {"POST", "/schedule", "{\"station\": \"none\", \"start\": \"2026-12-24T18:30\"}", 404, 1},
        {"DELETE", "/schedule/99", {}, 404, 1},
        {"PUT", "/schedule", {}, 405, 1},
        {"DELETE", "/schedule/3", {}, 204, 0},
        {"DELETE", "/schedule/3", {}, 404, 0},
    };
    for (const Case& c : cases) {
        const Answer a = send(c.method, QString::fromLatin1(c.path), c.body);
        EXPECT_EQ(a.status, c.status) << c.method << ' ' << c.path << ' ' << c.body.constData() << ": "
                                      << a.body.constData();
        if (a.status >= 400)
            EXPECT_FALSE(a.json()[QStringLiteral("error")].toString().isEmpty()) << a.body.constData();
        EXPECT_EQ(m_at.jobs.size(), c.jobs) << c.method << ' ' << c.path;
        if (a.status == 201) {
            const QJsonObject task = a.json().toObject();
            EXPECT_EQ(task[QStringLiteral("id")].toString(), QStringLiteral("3"));
            EXPECT_EQ(task[QStringLiteral("start")].toString(), QStringLiteral("2026-12-24T18:30:00"));
            EXPECT_EQ(task[QStringLiteral("station")].toString(), QStringLiteral("Night FM"));
            EXPECT_EQ(task[QStringLiteral("stationId")].toString(), QString::fromUtf8(night));
            // The job starts the recorder on the preset, as one quoted word.
            EXPECT_TRUE(m_at.jobs.value(3).contains("'/usr/bin/tonquill' '" +
                                                    m_folder.file(QStringLiteral("Presets/night.tvp")).toUtf8() + "'"))
                << m_at.jobs.value(3).constData();
            const Answer listed = send("GET", QStringLiteral("/schedule"));
            ASSERT_EQ(listed.json().toArray().size(), 1) << listed.body.constData();
            EXPECT_EQ(listed.json().toArray().first().toObject(), task);
        }
    }
    // The user's own preset stays when its job goes.
    EXPECT_TRUE(QFile::exists(m_folder.file(QStringLiteral("Presets/night.tvp"))));
    m_at.installed = false;
    EXPECT_EQ(send("GET", QStringLiteral("/schedule")).status, 503);
}

// A station of the station list is scheduled by its id as a preset is: the
// job starts the recorder on a preset made for it, which records its address
// song by song into the default folder until it is stopped. What such a
// preset cannot hold is refused before anything is written.
TEST_F(ApiScheduleTest, SchedulesStationsOfTheListByTheirId)
{
    const QString jazz = idOf(QStringLiteral("Jazz"));
    const QString made = madePresets() + QLatin1Char('/') + jazz + QStringLiteral(".tvp");
    const struct Case {
        QString station;
        const char* start;
        int status;
        const char* error; // part of the error's text
    } cases[] = {
        {QStringLiteral("list-000000000000"), "2026-12-24T18:30", 404, "no such station"},
        {jazz, "2026-12-24 18:30:00 tomorrow", 400, "YYYY-MM-DDTHH:MM"},
        {jazz, "", 400, "YYYY-MM-DDTHH:MM"},
        {idOf(QStringLiteral("Live")), "2026-12-24T18:30", 422, "http://l.example/stream"},
        {idOf(QStringLiteral("#1 Hits")), "2026-12-24T18:30", 422, "#1 Hits"},
        {jazz, "2026-11-30T18:30", 422, ""},
    };
    for (const Case& c : cases) {
        const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("station"), c.station},
                                                          {QStringLiteral("start"), QString::fromLatin1(c.start)}})
                                    .toJson();
        const Answer a = send("POST", QStringLiteral("/schedule"), body);
        EXPECT_EQ(a.status, c.status) << body.constData() << ": " << a.body.constData();
        EXPECT_TRUE(a.json()[QStringLiteral("error")].toString().contains(QLatin1String(c.error)))
            << a.body.constData();
        EXPECT_TRUE(m_at.jobs.isEmpty()) << body.constData();
    }
    // Only the time in the past got as far as writing the preset.
    EXPECT_EQ(QDir(madePresets()).entryList(QDir::Files), QStringList{jazz + QStringLiteral(".tvp")});

    const Answer a = send("POST", QStringLiteral("/schedule"),
                          "{\"station\": \"" + jazz.toUtf8() + "\", \"start\": \"2026-12-24T18:30\"}");
    ASSERT_EQ(a.status, 201) << a.body.constData();
    EXPECT_EQ(a.json()[QStringLiteral("station")].toString(), QStringLiteral("Jazz"));
    EXPECT_EQ(a.json()[QStringLiteral("stationId")].toString(), jazz);
    EXPECT_EQ(a.json()[QStringLiteral("preset")].toString(), made);
    ASSERT_EQ(m_at.jobs.size(), 1);
    EXPECT_TRUE(m_at.jobs.first().contains("'/usr/bin/tonquill' '" + made.toUtf8() + "'"))
        << m_at.jobs.first().constData();
    QFile preset(made);
    ASSERT_TRUE(preset.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(preset.readAll()).split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts),
        (QStringList{QStringLiteral("Jazz"), QStringLiteral("http://a.example/j.pls"), QStringLiteral("SONGNAMEONLY"),
                     QStringLiteral("%DEFDIR%"), QStringLiteral(" 0 "), QStringLiteral(" 0 ")}));
    const Answer listed = send("GET", QStringLiteral("/schedule"));
    ASSERT_EQ(listed.json().toArray().size(), 1) << listed.body.constData();
    EXPECT_EQ(listed.json().toArray().first().toObject(), a.json().toObject());

    // A second job on the station shares its preset, which goes with the last of them.
    const Answer second = send("POST", QStringLiteral("/schedule"),
                               "{\"station\": \"" + jazz.toUtf8() + "\", \"start\": \"2026-12-25T18:30\"}");
    ASSERT_EQ(second.status, 201) << second.body.constData();
    for (const Answer* job : {&a, &second}) {
        const QString id = job->json()[QStringLiteral("id")].toString();
        EXPECT_EQ(send("DELETE", QStringLiteral("/schedule/") + id).status, 204) << id.toStdString();
        EXPECT_EQ(QFile::exists(made), job == &a) << id.toStdString();
    }
}

} // namespace
