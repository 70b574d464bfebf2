#include "server/apiserver.h"
#include "server/servertoken.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kToken[] = "abcdefghijklmnopqrstuvwx";

struct Answer {
    int status = 0;
    QByteArray body;
};

class ApiServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server = std::make_unique<ApiServer>(QString::fromLatin1(kToken), m_folder.file(QStringLiteral("none.sqlite")));
        m_port = m_server->Listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(m_port, 0);
    }

    Answer send(const QByteArray& method, const QString& path, const QByteArray& authorization,
                const QByteArray& origin = {}, const QByteArray& body = {})
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
        if (!authorization.isEmpty())
            request.setRawHeader("Authorization", authorization);
        if (!origin.isEmpty())
            request.setRawHeader("Origin", origin);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
        EXPECT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 10000)) << path.toStdString();
        Answer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
        reply->deleteLater();
        return answer;
    }

    TempFolder m_folder;
    QNetworkAccessManager m_network;
    std::unique_ptr<ApiServer> m_server;
    quint16 m_port = 0;
};

const QByteArray kGood = QByteArray("Bearer ") + kToken;

// Every refusal has its own status and a JSON error; the checks come before
// any resource is looked at.
TEST_F(ApiServerTest, RefusesWhatIsNotAllowed)
{
    const struct Case {
        const char* method;
        const char* path;
        QByteArray authorization;
        QByteArray origin;
        qsizetype bodySize;
        int status;
    } cases[] = {
        {"GET", "/api/v1/history", {}, {}, 0, 401},
        {"GET", "/api/v1/history", "Bearer abcdefghijklmnopqrstuvwy", {}, 0, 401},
        {"GET", "/api/v1/history", "Basic abcdefghijklmnopqrstuvwx", {}, 0, 401},
        {"GET", "/api/v1/history", kGood, {}, 0, 200},
        {"GET", "/api/v1/history?since=2026-3-1", kGood, {}, 0, 400},
        {"POST", "/api/v1/history", kGood, {}, 0, 405},
        {"POST", "/api/v1/history", kGood, "http://elsewhere.example", 0, 403},
        {"POST", "/api/v1/history", kGood, "http://127.0.0.1:PORT", 0, 405},
        {"DELETE", "/api/v1/stations", kGood, "null", 0, 403},
        {"POST", "/api/v1/stations", kGood, {}, ApiServer::kMaxBody + 1, 413},
        {"POST", "/api/v1/stations", kGood, {}, 10 * 1024 * 1024, 413},
        {"GET", "/api/v1/nothing", kGood, {}, 0, 404},
        {"GET", "/api/v1/files/%2Fetc%2Fpasswd", kGood, {}, 0, 404},
        {"GET", "/api/v1/files/..%2F..%2Fetc%2Fpasswd", kGood, {}, 0, 404},
    };
    for (const Case& c : cases) {
        QByteArray origin = c.origin;
        origin.replace("PORT", QByteArray::number(m_port));
        const Answer answer = send(c.method, QString::fromLatin1(c.path), c.authorization, origin,
                                   QByteArray(c.bodySize, 'x'));
        EXPECT_EQ(answer.status, c.status) << c.method << ' ' << c.path;
        if (c.status >= 400 && answer.body.startsWith('{')) {
            EXPECT_FALSE(QJsonDocument::fromJson(answer.body).object().value(QStringLiteral("error")).toString().isEmpty())
                << c.path << ": " << answer.body.toStdString();
        }
        if (c.status == 200) {
            const QJsonDocument plays = QJsonDocument::fromJson(answer.body);
            EXPECT_TRUE(plays.isArray() && plays.array().isEmpty()) << c.path << ": " << answer.body.toStdString();
        }
    }
}

// Wrong tokens are counted: after the allowed number even the right one is
// turned away for a while.
TEST_F(ApiServerTest, WrongTokensSlowDown)
{
    for (int i = 0; i < ApiServer::kFailuresAllowed; ++i)
        EXPECT_EQ(send("GET", QStringLiteral("/api/v1/history"), "Bearer wrong").status, 401) << i;
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/history"), "Bearer wrong").status, 429);
    EXPECT_EQ(send("GET", QStringLiteral("/api/v1/history"), kGood).status, 429);
}

// The token is made once, private to its owner, and read back unchanged.
TEST(ServerTokenTest, MadeOnceAndKept)
{
    TempFolder folder;
    const ServerToken first = LoadOrCreateServerToken(folder.path() + QStringLiteral("config"));
    ASSERT_TRUE(first.problem.isEmpty()) << first.problem.toStdString();
    EXPECT_TRUE(first.created);
    EXPECT_GE(first.value.size(), 32);
    const QString path = folder.path() + QStringLiteral("config/server-token");
    EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const ServerToken second = LoadOrCreateServerToken(folder.path() + QStringLiteral("config"));
    EXPECT_FALSE(second.created);
    EXPECT_EQ(second.value, first.value);

    TempFolder other;
    EXPECT_NE(LoadOrCreateServerToken(other.path()).value, first.value);
    QFile short_(other.file(QStringLiteral("server-token")));
    ASSERT_TRUE(short_.open(QIODevice::WriteOnly | QIODevice::Truncate));
    short_.write("abc\n");
    short_.close();
    EXPECT_FALSE(LoadOrCreateServerToken(other.path()).problem.isEmpty());
}

} // namespace
