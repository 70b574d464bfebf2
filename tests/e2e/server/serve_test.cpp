// The real program serving: `tonquill --serve --listen 127.0.0.1:0` records
// the local test station as its API is asked to, tells every change as an
// event, and serves the files it wrote by id.
#include "stationprocess.h"
#include "tests/support/eventwait.h"
#include "tonquillprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

struct Answer {
    int status = 0;
    QByteArray body;
    QByteArray contentRange;
    QJsonValue json() const
    {
        const QJsonDocument d = QJsonDocument::fromJson(body);
        return d.isArray() ? QJsonValue(d.array()) : QJsonValue(d.object());
    }
};


class ServeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Tonquill-user.ini")), "[Registration]\r\nCleanCuts=0\r\n"));
        // Recordings of a listed station go to the last folder chosen.
        ASSERT_TRUE(WriteAll(home.file(QStringLiteral("Tonquill.ini")),
                             "[LastPath]\r\nLastPath=" + listFolder.path().toUtf8() + "\r\n"));
        ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Presets"))));
        ASSERT_TRUE(station.Start({QStringLiteral("--metaint"), QStringLiteral("4000"), QStringLiteral("--song-bytes"),
                                   QStringLiteral("24000"), QStringLiteral("--titles"),
                                   QStringLiteral("Alpha - One,Alpha - Two,Alpha - Three")},
                                  home.file(QStringLiteral("station.log"))));
        const QString playlist = playlistOf(kTotal);
        ASSERT_TRUE(WriteAll(
            home.file(QStringLiteral("Presets/Harbour.tvp")),
            ("Harbour Jazz\r\n" + playlist + "\r\nSONGNAMEONLY\r\n" + presetFolder.path() + "\r\n 0 \r\n 0 \r\n")
                .toUtf8()));
        server.SetEnvironment(QStringLiteral("XDG_DATA_HOME"), home.file(QStringLiteral("xdg")));
        server.SetWorkingDirectory(home.path());
        ASSERT_TRUE(
            server.Start({QStringLiteral("--serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}));
        ASSERT_TRUE(server.WaitForOutput("Serving on http://127.0.0.1:", 10000)) << server.Errors().constData();
        const auto m = QRegularExpression(QStringLiteral("Serving on http://127.0.0.1:(\\d+)/"))
                           .match(QString::fromUtf8(server.Output()));
        ASSERT_TRUE(m.hasMatch());
        port = m.captured(1).toUShort();
        token = ReadAll(home.file(QStringLiteral("server-token"))).trimmed();
        ASSERT_FALSE(token.isEmpty());
        EXPECT_TRUE(server.Output().contains(token)) << "the new token is shown once";
    }

    // The station's playlist: its stream sends `total` audio bytes, then the
    // station is down until the test ends.
    QString playlistOf(int total) const
    {
        return QStringLiteral("http://127.0.0.1:%1/station.pls?paths=/stream%3Ftotal%3D%2%26down%3D600&as=.pls")
            .arg(station.Port())
            .arg(total);
    }
    static constexpr int kTotal = 56000;

    QNetworkRequest request(const QString& path, const QByteArray& range = {})
    {
        QNetworkRequest r(QUrl(QStringLiteral("http://127.0.0.1:%1/api/v1%2").arg(port).arg(path)));
        r.setRawHeader("Authorization", "Bearer " + token);
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        if (!range.isEmpty())
            r.setRawHeader("Range", range);
        return r;
    }

    Answer send(const QByteArray& method, const QString& path, const QByteArray& body = {},
                const QByteArray& range = {})
    {
        QNetworkReply* reply = network.sendCustomRequest(request(path, range), method, body);
        EXPECT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 10000)) << path.toStdString();
        Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
                 reply->rawHeader("Content-Range")};
        reply->deleteLater();
        return a;
    }

    // The recording `id` as the API answers it now.
    QJsonObject recording(int id) { return send("GET", QStringLiteral("/recordings/%1").arg(id)).json().toObject(); }

    // The "recording" events received for `id` so far.
    QList<QJsonObject> eventsFor(int id) const
    {
        QList<QJsonObject> found;
        for (const QByteArray& block : events.split('\n')) {
            if (!block.startsWith("data: {"))
                continue;
            const QJsonObject o = QJsonDocument::fromJson(block.mid(6)).object();
            if (o.value(QStringLiteral("id")).toInt() == id)
                found << o;
        }
        return found;
    }
    bool sawState(int id, const QString& state) const
    {
        const QList<QJsonObject> all = eventsFor(id);
        return std::any_of(all.cbegin(), all.cend(),
                           [&](const QJsonObject& o) { return o.value(QStringLiteral("state")).toString() == state; });
    }

    TempFolder home;
    TempFolder presetFolder;
    TempFolder listFolder;
    StationProcess station;
    Tonquill server{home.path()};
    QNetworkAccessManager network;
    quint16 port = 0;
    QByteArray token;
    QByteArray events;
};

TEST_F(ServeTest, RecordsFollowsStopsAndServesTheFile)
{
    // The events are followed from the start.
    QNetworkReply* follow = network.get(request(QStringLiteral("/events")));
    QObject::connect(follow, &QNetworkReply::readyRead, [&] { events += follow->readAll(); });
    ASSERT_TRUE(WaitUntil([&] { return events.contains("event: recordings\ndata: []"); }, 10000)) << events.constData();

    const Answer stations = send("GET", QStringLiteral("/stations"));
    ASSERT_EQ(stations.status, 200);
    QString presetId;
    for (const QJsonValue& s : stations.json().toArray())
        if (s[QStringLiteral("title")].toString() == QLatin1String("Harbour Jazz"))
            presetId = s[QStringLiteral("id")].toString();
    ASSERT_FALSE(presetId.isEmpty()) << stations.body.constData();

    const struct {
        QByteArray body;
        int status;
    } refused[] = {
        {"{\"station\": \"preset-000000000000\"}", 404},
        {"{\"station\": \"" + presetId.toUtf8() + "\", \"mode\": \"listen\"}", 400},
        {"[1, 2]", 400},
        {"not json", 400},
    };
    for (const auto& r : refused)
        EXPECT_EQ(send("POST", QStringLiteral("/recordings"), r.body).status, r.status) << r.body.constData();

    const Answer started = send("POST", QStringLiteral("/recordings"),
                                "{\"station\": \"" + presetId.toUtf8() + "\", \"mode\": \"record\"}");
    ASSERT_EQ(started.status, 201) << started.body.constData();
    const int id = started.json()[QStringLiteral("id")].toInt();
    ASSERT_GT(id, 0);
    EXPECT_EQ(started.json()[QStringLiteral("stationId")].toString(), presetId);

    // Recording: in the list and in the events, its bytes growing.
    ASSERT_TRUE(WaitUntil([&] { return sawState(id, QStringLiteral("recording")); }, 20000))
        << events.constData() << server.Errors().constData();
    const Answer list = send("GET", QStringLiteral("/recordings"));
    ASSERT_EQ(list.json().toArray().size(), 1) << list.body.constData();
    const QJsonObject listed = list.json().toArray().first().toObject();
    EXPECT_EQ(listed[QStringLiteral("station")].toString(), QStringLiteral("Harbour Jazz"));
    EXPECT_TRUE(listed[QStringLiteral("file")].toString().startsWith(presetFolder.path())) << list.body.constData();

    // Paused and resumed, each seen as it happens.
    EXPECT_EQ(send("POST", QStringLiteral("/recordings/%1/pause").arg(id)).status, 200);
    EXPECT_TRUE(WaitUntil([&] { return sawState(id, QStringLiteral("paused")); }, 10000)) << events.constData();
    // While paused the file being written stays open: listed, but not deleted.
    const QString open = QFileInfo(recording(id)[QStringLiteral("file")].toString()).fileName();
    QString openId;
    for (const QJsonValue& f : send("GET", QStringLiteral("/files")).json().toArray())
        if (f[QStringLiteral("name")].toString() == open)
            openId = f[QStringLiteral("id")].toString();
    ASSERT_FALSE(openId.isEmpty()) << open.toStdString();
    EXPECT_EQ(send("DELETE", QStringLiteral("/files/") + openId).status, 409);

    EXPECT_EQ(send("POST", QStringLiteral("/recordings/%1/resume").arg(id)).status, 200);
    EXPECT_TRUE(WaitUntil([&] { return recording(id)[QStringLiteral("state")] != QStringLiteral("paused"); }, 10000));

    // The station goes down after its bytes: the recording reconnects.
    const QString log = home.file(QStringLiteral("station.log"));
    ASSERT_TRUE(WaitUntil([&] { return sawState(id, QStringLiteral("reconnecting")); }, 20000)) << events.constData();
    EXPECT_EQ(AudioSentByStation(log), kTotal);
    EXPECT_EQ(recording(id)[QStringLiteral("bytes")].toInteger(), kTotal);

    // Stopped: the file is closed and tagged and holds every byte sent.
    const Answer stopped = send("DELETE", QStringLiteral("/recordings/%1").arg(id));
    EXPECT_EQ(stopped.status, 200);
    EXPECT_EQ(stopped.json()[QStringLiteral("state")].toString(), QStringLiteral("stopped"))
        << stopped.body.constData();
    EXPECT_TRUE(WaitUntil([&] { return sawState(id, QStringLiteral("stopped")); }, 10000)) << events.constData();
    EXPECT_EQ(send("DELETE", QStringLiteral("/recordings/%1").arg(id)).status, 409);
    EXPECT_EQ(send("POST", QStringLiteral("/recordings/%1/pause").arg(id)).status, 409);
    const Recorded r = RecordedIn(presetFolder.path());
    ASSERT_FALSE(r.names.isEmpty());
    EXPECT_EQ(r.untagged, 0) << r.names.join(',').toStdString();
    EXPECT_EQ(r.audio, kTotal);

    // Served by id: whole, in ranges, and refused past its end.
    const Answer files = send("GET", QStringLiteral("/files"));
    ASSERT_EQ(files.status, 200);
    const QJsonArray served = files.json().toArray();
    ASSERT_EQ(served.size(), r.names.size()) << files.body.constData();
    const QJsonObject first = served.first().toObject();
    const QString fileId = first[QStringLiteral("id")].toString();
    const QByteArray bytes = ReadAll(QDir(presetFolder.path()).filePath(first[QStringLiteral("name")].toString()));
    ASSERT_EQ(first[QStringLiteral("size")].toInteger(), bytes.size());
    const QByteArray size = QByteArray::number(bytes.size());
    const struct {
        QByteArray range;
        int status;
        QByteArray body;
        QByteArray contentRange;
    } ranges[] = {
        {{}, 200, bytes, {}},
        {"bytes=0-9", 206, bytes.left(10), "bytes 0-9/" + size},
        {"bytes=100-", 206, bytes.mid(100), "bytes 100-" + QByteArray::number(bytes.size() - 1) + "/" + size},
        {"bytes=-128", 206, bytes.right(128),
         "bytes " + QByteArray::number(bytes.size() - 128) + "-" + QByteArray::number(bytes.size() - 1) + "/" + size},
        {"bytes=" + size + "-", 416, {}, "bytes */" + size},
    };
    for (const auto& c : ranges) {
        const Answer a = send("GET", QStringLiteral("/files/") + fileId, {}, c.range);
        EXPECT_EQ(a.status, c.status) << c.range.constData();
        if (c.status != 416)
            EXPECT_TRUE(a.body == c.body) << c.range.constData() << ": " << a.body.size() << " bytes";
        EXPECT_EQ(a.contentRange, c.contentRange) << c.range.constData();
    }
    EXPECT_EQ(send("GET", QStringLiteral("/files/") + QUrl::toPercentEncoding(presetFolder.path())).status, 404);

    // Deleted: into the trash, gone from the list.
    EXPECT_EQ(send("DELETE", QStringLiteral("/files/") + fileId).status, 204);
    EXPECT_EQ(send("GET", QStringLiteral("/files/") + fileId).status, 404);
    EXPECT_EQ(RecordedIn(presetFolder.path()).names.size(), r.names.size() - 1);
    EXPECT_EQ(QDir(home.file(QStringLiteral("xdg/Trash/files"))).entryList(QDir::Files).size(), 1);
    follow->abort();
}

// A station added to the list is recorded into the last folder chosen; a
// signal ends the server with every file closed and tagged.
TEST_F(ServeTest, TheSignalClosesEveryRecording)
{
    const QByteArray address = playlistOf(kTotal).toUtf8();
    const Answer added =
        send("POST", QStringLiteral("/stations"), "{\"title\": \"Listed FM\", \"address\": \"" + address + "\"}");
    ASSERT_EQ(added.status, 201) << added.body.constData();
    const QString stationId = added.json()[QStringLiteral("id")].toString();
    EXPECT_TRUE(ReadAll(home.file(QStringLiteral("Playlist.txt"))).contains("Listed FM\r\n" + address + "\r\n"));
    const Answer started = send("POST", QStringLiteral("/recordings"), "{\"station\": \"" + stationId.toUtf8() + "\"}");
    ASSERT_EQ(started.status, 201) << started.body.constData();
    const int id = started.json()[QStringLiteral("id")].toInt();
    ASSERT_TRUE(
        WaitUntil([&] { return recording(id)[QStringLiteral("state")] == QStringLiteral("reconnecting"); }, 20000))
        << server.Errors().constData();

    server.Signal(SIGTERM);
    ASSERT_TRUE(server.WaitForEnd(15000));
    EXPECT_EQ(server.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.ExitCode(), 0) << server.Errors().constData();
    EXPECT_TRUE(server.Errors().isEmpty()) << "no warning on loopback: " << server.Errors().constData();
    const Recorded r = RecordedIn(listFolder.path());
    ASSERT_FALSE(r.names.isEmpty());
    EXPECT_EQ(r.untagged, 0) << r.names.join(',').toStdString();
    EXPECT_EQ(r.audio, kTotal);
    EXPECT_EQ(AudioSentByStation(home.file(QStringLiteral("station.log"))), kTotal);

    // The station leaves the list again (a fresh server reads the same file).
    Tonquill again(home.path());
    again.SetWorkingDirectory(home.path());
    ASSERT_TRUE(again.Start({QStringLiteral("--serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}));
    ASSERT_TRUE(again.WaitForOutput("Serving on", 10000));
    EXPECT_FALSE(again.Output().contains(token)) << "the token is shown only when it is made";
    const auto m = QRegularExpression(QStringLiteral("Serving on http://127.0.0.1:(\\d+)/"))
                       .match(QString::fromUtf8(again.Output()));
    ASSERT_TRUE(m.hasMatch());
    port = m.captured(1).toUShort();
    EXPECT_EQ(send("DELETE", QStringLiteral("/stations/") + stationId).status, 204);
    EXPECT_EQ(send("DELETE", QStringLiteral("/stations/") + stationId).status, 404);
    EXPECT_FALSE(ReadAll(home.file(QStringLiteral("Playlist.txt"))).contains("Listed FM"));
    again.Signal(SIGTERM);
    EXPECT_TRUE(again.WaitForEnd(15000));
    EXPECT_EQ(again.ExitCode(), 0);
}

} // namespace
