// With a certificate and key the server answers HTTPS only.
#include "server/apiserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/tlsserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <gtest/gtest.h>

namespace {

const char kToken[] = "abcdefghijklmnopqrstuvwx";

TEST(ApiServerTlsTest, AnswersHttpsOnly)
{
    TempFolder folder;
    ASSERT_TRUE(MakeCertificate(folder, QStringLiteral("IP:127.0.0.1")));
    ApiServer server(QString::fromLatin1(kToken), folder.file(QStringLiteral("none")));
    QString problem;
    EXPECT_FALSE(
        server.UseTls(folder.file(QStringLiteral("missing.pem")), folder.file(QStringLiteral("key.pem")), &problem));
    EXPECT_TRUE(problem.contains(QLatin1String("missing.pem"))) << problem.toStdString();
    EXPECT_FALSE(
        server.UseTls(folder.file(QStringLiteral("key.pem")), folder.file(QStringLiteral("cert.pem")), &problem));
    ASSERT_TRUE(
        server.UseTls(folder.file(QStringLiteral("cert.pem")), folder.file(QStringLiteral("key.pem")), &problem))
        << problem.toStdString();
    const quint16 port = server.Listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);

    QNetworkAccessManager network;
    const auto get = [&](const QString& scheme, bool trusted) {
        QNetworkRequest request(QUrl(QStringLiteral("%1://127.0.0.1:%2/api/v1/history").arg(scheme).arg(port)));
        request.setRawHeader("Authorization", QByteArray("Bearer ") + kToken);
        if (trusted) {
            QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
            tls.setCaCertificates(QSslCertificate::fromPath(folder.file(QStringLiteral("cert.pem"))));
            request.setSslConfiguration(tls);
        }
        QNetworkReply* reply = network.get(request);
        EXPECT_TRUE(WaitUntil([reply] { return reply->isFinished(); }, 15000));
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        reply->deleteLater();
        return status;
    };
    EXPECT_EQ(get(QStringLiteral("http"), false), 0) << "no plain HTTP answer";
    EXPECT_EQ(get(QStringLiteral("https"), true), 200);
}

} // namespace
