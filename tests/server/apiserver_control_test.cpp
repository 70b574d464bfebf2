// The API's recordings, events, sign-in and page, over real HTTP on
// loopback, with recordings that only remember what they were asked.
#include "server/apiserver.h"
#include "tests/support/eventwait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char kToken[] = "abcdefghijklmnopqrstuvwx";

class RememberingRecordings : public RecordingControl {
public:
    QList<RecordingInfo> Recordings() const override { return m_all; }
    std::optional<RecordingInfo> Recording(int id) const override
    {
        for (const RecordingInfo& r : m_all)
            if (r.id == id)
                return r;
        return std::nullopt;
    }
    int Start(const ServedStation& station, bool watch, QString* problem) override
    {
        if (station.address.contains(QLatin1String("refused"))) {
            *problem = QStringLiteral("refused");
            return 0;
        }
        m_all.append({m_all.isEmpty() ? 1 : m_all.last().id + 1, station.title, station.id,
                      watch ? QStringLiteral("watching") : QStringLiteral("recording"), QString(), QString(), 0, 0});
        return m_all.last().id;
    }
    bool SetPaused(int id, bool paused) override
    {
        RecordingInfo* r = find(id);
        if (!r || r->state == QLatin1String("stopped"))
            return false;
        r->state = paused ? QStringLiteral("paused") : QStringLiteral("recording");
        return true;
    }
    bool Stop(int id) override
    {
        RecordingInfo* r = find(id);
        if (!r || r->state == QLatin1String("stopped"))
            return false;
        r->state = QStringLiteral("stopped");
        return true;
    }
    void Forget(int id) override
    {
        const RecordingInfo* r = find(id);
        ASSERT_TRUE(r && r->Finished()) << "forgot " << id;
        m_all.removeIf([id](const RecordingInfo& r) { return r.id == id; });
        forgotten << id;
    }
    QStringList Folders() const override { return {}; }

    RecordingInfo* find(int id)
    {
        for (RecordingInfo& r : m_all)
            if (r.id == id)
                return &r;
        return nullptr;
    }

    QList<int> forgotten;

private:
    QList<RecordingInfo> m_all;
};

struct Answer {
    int status = 0;
    QByteArray body;
    QList<QByteArray> cookies;
    QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
};

class ApiControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteAll(m_folder.file(QStringLiteral("Playlist.txt")),
                             "Jazz\r\nhttp://a.example/j.pls\r\nDown\r\nhttp://refused.example/\r\n"));
        m_server = std::make_unique<ApiServer>(QString::fromLatin1(kToken), m_folder.file(QStringLiteral("none")));
        m_server->SetStations(&m_stations);
        m_server->SetRecordings(&m_recordings);
        m_port = m_server->Listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(m_port, 0);
        m_network.setCookieJar(new QNetworkCookieJar(&m_network));
    }

    QNetworkRequest request(const QString& path, bool token = true) const
    {
        QNetworkRequest r(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
        if (token)
            r.setRawHeader("Authorization", QByteArray("Bearer ") + kToken);
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        return r;
    }

    Answer send(const QByteArray& method, const QString& path, const QByteArray& body = {}, bool token = true,
                const QByteArray& origin = {})
    {
        QNetworkRequest r = request(path, token);
        if (!origin.isEmpty())
            r.setRawHeader("Origin", origin);
        QNetworkReply* reply = m_network.sendCustomRequest(r, method, body);
        EXPECT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 10000)) << path.toStdString();
        Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(), {}};
        for (const auto& header : reply->rawHeaderPairs())
            if (header.first.compare("Set-Cookie", Qt::CaseInsensitive) == 0)
                a.cookies << header.second;
        reply->deleteLater();
        return a;
    }

    QString stationId(const QString& title)
    {
        for (const ServedStation& s : m_stations.All())
            if (s.title == title)
                return s.id;
        return {};
    }

    TempFolder m_folder;
    ServedStations m_stations{m_folder.file(QStringLiteral("Playlist.txt")), QString()};
    RememberingRecordings m_recordings;
    QNetworkAccessManager m_network;
    std::unique_ptr<ApiServer> m_server;
    quint16 m_port = 0;
};

// Each request of the recordings' part, in order, with the status it gets
// and the state the recording is left in.
TEST_F(ApiControlTest, RecordingsAnswerEveryRequest)
{
    const QByteArray jazz = stationId(QStringLiteral("Jazz")).toUtf8();
    const QByteArray down = stationId(QStringLiteral("Down")).toUtf8();
    const struct Case {
        const char* method;
        const char* path;
        QByteArray body;
        int status;
        const char* state; // of recording 1 afterwards; "" when there is none
    } cases[] = {
        {"GET", "/api/v1/recordings/1", {}, 404, ""},
        {"POST", "/api/v1/recordings", "{\"station\": \"" + jazz + "\", \"mode\": \"stream\"}", 400, ""},
        {"POST", "/api/v1/recordings", "{\"station\": \"nothing\"}", 404, ""},
        {"POST", "/api/v1/recordings", "{\"station\": \"" + down + "\"}", 422, ""},
        {"POST", "/api/v1/recordings", "{\"station\": \"" + jazz + "\"}", 201, "recording"},
        {"POST", "/api/v1/recordings/1/pause", {}, 200, "paused"},
        {"GET", "/api/v1/recordings/1/pause", {}, 405, "paused"},
        {"POST", "/api/v1/recordings/1/rewind", {}, 404, "paused"},
        {"POST", "/api/v1/recordings/1/resume", {}, 200, "recording"},
        {"POST", "/api/v1/recordings/x/resume", {}, 404, "recording"},
        {"PUT", "/api/v1/recordings/1", {}, 405, "recording"},
        {"DELETE", "/api/v1/recordings/1", {}, 200, "stopped"},
        {"DELETE", "/api/v1/recordings/1", {}, 409, "stopped"},
        {"POST", "/api/v1/recordings/1/resume", {}, 409, "stopped"},
        {"POST", "/api/v1/recordings", "{\"station\": \"" + jazz + "\", \"mode\": \"watch\"}", 201, "stopped"},
        {"GET", "/api/v1/recordings/2", {}, 200, "stopped"},
    };
    for (const Case& c : cases) {
        const Answer a = send(c.method, QString::fromLatin1(c.path), c.body);
        EXPECT_EQ(a.status, c.status) << c.method << ' ' << c.path << ": " << a.body.constData();
        if (a.status >= 400)
            EXPECT_FALSE(a.object().value(QStringLiteral("error")).toString().isEmpty()) << c.path;
        const auto first = m_recordings.Recording(1);
        EXPECT_EQ(first ? first->state : QString(), QString::fromLatin1(c.state)) << c.method << ' ' << c.path;
    }
    const QJsonArray all = QJsonDocument::fromJson(send("GET", QStringLiteral("/api/v1/recordings")).body).array();
    ASSERT_EQ(all.size(), 2);
    const QJsonObject watched = all[1].toObject();
    EXPECT_EQ(watched[QStringLiteral("state")].toString(), QStringLiteral("watching"));
    EXPECT_EQ(watched[QStringLiteral("station")].toString(), QStringLiteral("Jazz"));
    EXPECT_EQ(watched[QStringLiteral("stationId")].toString(), QString::fromLatin1(jazz));
    for (const char* key : {"id", "station", "state", "title", "file", "elapsed", "bytes"})
        EXPECT_TRUE(watched.contains(QLatin1String(key))) << key;
}

// The events begin with every recording and go on with each change told;
// a follower that leaves is forgotten.
TEST_F(ApiControlTest, EventsFollowTheChanges)
{
    QString problem;
    m_recordings.Start(m_stations.Find(stationId(QStringLiteral("Jazz"))), false, &problem);
    QByteArray received;
    QNetworkReply* follow = m_network.get(request(QStringLiteral("/api/v1/events")));
    QObject::connect(follow, &QNetworkReply::readyRead, [&] { received += follow->readAll(); });
    ASSERT_TRUE(WaitUntil([&] { return received.contains("\n\n"); }, 10000));
    EXPECT_EQ(follow->header(QNetworkRequest::ContentTypeHeader).toString(), QStringLiteral("text/event-stream"));
    EXPECT_TRUE(received.startsWith("event: recordings\ndata: [{")) << received.constData();
    EXPECT_EQ(m_server->Followers(), 1);

    m_recordings.SetPaused(1, true);
    m_server->PublishRecording(1);
    m_server->PublishRecording(7); // no such recording: nothing is sent
    m_recordings.SetPaused(1, false);
    m_server->PublishRecording(1);
    ASSERT_TRUE(WaitUntil([&] { return received.count("event: recording\n") == 2; }, 10000)) << received.constData();
    const QList<QByteArray> blocks = received.split('\n');
    QStringList states;
    for (const QByteArray& line : blocks)
        if (line.startsWith("data: {"))
            states << QJsonDocument::fromJson(line.mid(6)).object().value(QStringLiteral("state")).toString();
    EXPECT_EQ(states, (QStringList{QStringLiteral("paused"), QStringLiteral("recording")}));

    follow->abort();
    follow->deleteLater();
    EXPECT_TRUE(WaitUntil([&] { return m_server->Followers() == 0; }, 10000));
    m_server->PublishRecording(1); // to nobody
    EXPECT_EQ(send("POST", QStringLiteral("/api/v1/events")).status, 405);
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/events"), {}, false).status, 401);
}

// An ended recording stays listed with how it ended until kEndedKept more
// have ended; then it is forgotten and the events say so. However it ended
// (stopped through the API, or failing on its own) counts alike, and a
// running one is never forgotten.
TEST_F(ApiControlTest, EndedRecordingsGoOnceTwentyEndedAfterThem)
{
    const QByteArray jazz = stationId(QStringLiteral("Jazz")).toUtf8();
    const QByteArray start = "{\"station\": \"" + jazz + "\"}";
    ASSERT_EQ(send("POST", QStringLiteral("/api/v1/recordings"), start).status, 201); // 1 runs on
    QByteArray received;
    QNetworkReply* follow = m_network.get(request(QStringLiteral("/api/v1/events")));
    const auto reading = QObject::connect(follow, &QNetworkReply::readyRead, [&] { received += follow->readAll(); });
    ASSERT_TRUE(WaitUntil([&] { return received.contains("\n\n"); }, 10000));

    const auto listed = [this] {
        QMap<int, QString> states;
        for (const QJsonValue& r :
             QJsonDocument::fromJson(send("GET", QStringLiteral("/api/v1/recordings")).body).array())
            states.insert(r[QStringLiteral("id")].toInt(), r[QStringLiteral("state")].toString());
        return states;
    };
    const int ends = ApiServer::kEndedKept + 2;
    for (int n = 1; n <= ends; ++n) {
        const Answer started = send("POST", QStringLiteral("/api/v1/recordings"), start);
        ASSERT_EQ(started.status, 201) << n;
        const int id = started.object().value(QStringLiteral("id")).toInt();
        if (n % 2) {
            EXPECT_EQ(send("DELETE", QStringLiteral("/api/v1/recordings/%1").arg(id)).status, 200) << n;
        } else {
            m_recordings.find(id)->state = QStringLiteral("failed");
            m_server->PublishRecording(id);
        }
        // Up to kEndedKept ended ones are all listed; from then on the oldest go.
        const QMap<int, QString> states = listed();
        EXPECT_EQ(states.value(1), QStringLiteral("recording")) << n;
        EXPECT_EQ(states.size(), 1 + std::min(n, ApiServer::kEndedKept)) << n;
        EXPECT_EQ(states.value(id), n % 2 ? QStringLiteral("stopped") : QStringLiteral("failed")) << n;
        EXPECT_EQ(m_recordings.forgotten.size(), std::max(0, n - ApiServer::kEndedKept)) << n;
    }
    EXPECT_EQ(m_recordings.forgotten, (QList<int>{2, 3}));
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/recordings/2")).status, 404);
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/recordings/4")).status, 200);
    ASSERT_TRUE(WaitUntil([&] { return received.count("event: removed\n") == 2; }, 10000)) << received.constData();
    EXPECT_TRUE(received.contains("event: removed\ndata: {\"id\":2}\n\n")) << received.constData();
    EXPECT_TRUE(received.contains("event: removed\ndata: {\"id\":3}\n\n")) << received.constData();
    EXPECT_LT(received.indexOf("{\"id\":2}"), received.indexOf("{\"id\":3}"));

    // A new follower begins with what is listed, the forgotten left out.
    QByteArray again;
    QNetworkReply* second = m_network.get(request(QStringLiteral("/api/v1/events")));
    const auto readingAgain = QObject::connect(second, &QNetworkReply::readyRead, [&] { again += second->readAll(); });
    ASSERT_TRUE(WaitUntil([&] { return again.contains("\n\n"); }, 10000));
    const QJsonArray first =
        QJsonDocument::fromJson(again.mid(again.indexOf("data: ") + 6).split('\n').first()).array();
    QList<int> ids, expected{1};
    for (const QJsonValue& r : first)
        ids << r[QStringLiteral("id")].toInt();
    for (int id = 4; id <= ends + 1; ++id)
        expected << id;
    EXPECT_EQ(ids, expected);
    QObject::disconnect(reading);
    QObject::disconnect(readingAgain);
    for (QNetworkReply* reply : {follow, second}) {
        reply->abort();
        reply->deleteLater();
    }
    EXPECT_TRUE(WaitUntil([&] { return m_server->Followers() == 0; }, 10000));
}

// The sign-in sets a cookie only the server reads, which then carries the
// token; wrong tokens count as on the API.
TEST_F(ApiControlTest, SignInSetsAStrictCookie)
{
    const struct Case {
        const char* body;
        QByteArray origin;
        int status;
    } cases[] = {
        {"token=wrong", {}, 401},
        {"token=abcdefghijklmnopqrstuvwx", "http://elsewhere.example", 403},
        {"", {}, 401},
        {"token=abcdefghijklmnopqrstuvwx", {}, 200},
    };
    for (const Case& c : cases) {
        const Answer a = send("POST", QStringLiteral("/signin"), c.body, false, c.origin);
        EXPECT_EQ(a.status, c.status) << c.body;
        EXPECT_EQ(a.cookies.isEmpty(), c.status != 200) << c.body;
        if (!a.cookies.isEmpty()) {
            const QByteArray cookie = a.cookies.join('\n');
            EXPECT_TRUE(cookie.startsWith(QByteArray(ApiServer::kCookie) + '=' + kToken)) << cookie.constData();
            EXPECT_TRUE(cookie.contains("HttpOnly")) << cookie.constData();
            EXPECT_TRUE(cookie.contains("SameSite=Strict")) << cookie.constData();
        }
    }
    EXPECT_EQ(send("GET", QStringLiteral("/signin"), {}, false).status, 405);
    // The jar sends the cookie: no header needed from here on.
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/recordings"), {}, false).status, 200);
    m_network.setCookieJar(new QNetworkCookieJar(&m_network));
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/recordings"), {}, false).status, 401);

    // Two wrong tokens above and three here make five: then even the right
    // one waits.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(send("POST", QStringLiteral("/signin"), "token=wrong", false).status, 401) << i;
    EXPECT_EQ(send("POST", QStringLiteral("/signin"), "token=abcdefghijklmnopqrstuvwx", false).status, 429);
}

// The page and what it loads come from the program, with nothing from
// elsewhere; anything else is 404.
TEST_F(ApiControlTest, ServesItsOwnPage)
{
    const struct Case {
        const char* path;
        int status;
        const char* type;
    } cases[] = {
        {"/", 200, "text/html"},       {"/index.html", 200, "text/html"}, {"/app.js", 200, "text/javascript"},
        {"/app.css", 200, "text/css"}, {"/server-token", 404, ""},        {"/../server-token", 404, ""},
        {"/web/index.html", 404, ""},
    };
    const QRegularExpression outside(QStringLiteral("(https?:)?//[a-z0-9.-]+\\.[a-z]{2,}"));
    for (const Case& c : cases) {
        QNetworkReply* reply = m_network.get(request(QString::fromLatin1(c.path), false));
        ASSERT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 10000));
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), c.status) << c.path;
        if (c.status == 200) {
            EXPECT_TRUE(reply->header(QNetworkRequest::ContentTypeHeader).toString().startsWith(QLatin1String(c.type)))
                << c.path;
            const QString text = QString::fromUtf8(reply->readAll());
            EXPECT_GT(text.size(), 200) << c.path;
            EXPECT_FALSE(outside.match(text).hasMatch())
                << c.path << ": " << outside.match(text).captured().toStdString();
            EXPECT_TRUE(reply->rawHeader("Content-Security-Policy").contains("default-src 'self'")) << c.path;
        }
        reply->deleteLater();
    }
    EXPECT_EQ(send("POST", QStringLiteral("/"), {}, false).status, 405);
}

} // namespace
