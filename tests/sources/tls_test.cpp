// Playlists over HTTPS, redirects to them, and certificates that do not verify.
#include "platform/messages.h"
#include "platform/tickcount.h"
#include "sources/urigrabber.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/eventwait.h"
#include "tests/support/tlsserver.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kPls = "[playlist]\r\nFile1=https://127.0.0.1:443/secure\r\nFile2=http://b.example.com:8000/\r\n"
                        "Title1=Secure FM\r\n";

struct Events {
    QStringList lines;
    explicit Events(ctlURIGrabber& g)
    {
        QObject::connect(&g, &ctlURIGrabber::URLRaise,
                         [this](const QString& host, const QString& resource, int port, const QString&, bool secure) {
                             lines << QStringLiteral("%1 %2 %3 %4").arg(secure ? "https" : "http", host, resource).arg(port);
                         });
        QObject::connect(&g, &ctlURIGrabber::Done, [this] { lines << QStringLiteral("Done"); });
        QObject::connect(&g, &ctlURIGrabber::Error, [this](int code) { lines << QStringLiteral("Error %1").arg(code); });
    }
    bool finished() const
    {
        return !lines.isEmpty() && (lines.last() == QLatin1String("Done") || lines.last().startsWith("Error"));
    }
};

class TlsGrabber : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeCertificate(dir, QStringLiteral("IP:127.0.0.1,DNS:localhost")));
        ASSERT_TRUE(MakeCertificate(dir, QStringLiteral("DNS:wrong.example"), QStringLiteral("wrong-")));
        qputenv("TONQUILL_CA_FILE", dir.file(QStringLiteral("cert.pem")).toUtf8());
    }
    void TearDown() override { qunsetenv("TONQUILL_CA_FILE"); }

    QStringList fetch(const QString& address, ctlURIGrabber& g)
    {
        Events events(g);
        g.StartURIValidation(address);
        EXPECT_TRUE(WaitUntil([&] { return events.finished(); }, 10000)) << events.lines.join('|').toStdString();
        return events.lines;
    }

    TempFolder dir;
    FakeTickSource clock;
    RecordingMessageService messages;
};

}  // namespace

TEST_F(TlsGrabber, AnHttpsPlaylistIsFetchedAndItsHttpsServersAreMarkedSecure)
{
    TlsServer server(dir.file(QStringLiteral("cert.pem")), dir.file(QStringLiteral("key.pem")),
                     [](const QByteArray&, bool&) { return "HTTP/1.0 200 OK\r\n\r\n" + kPls; });
    ctlURIGrabber g(&clock, &messages);
    EXPECT_EQ(fetch(server.base() + QStringLiteral("/list.pls"), g),
              (QStringList{"https 127.0.0.1 /secure 443", "http b.example.com / 8000", "Done"}));
    EXPECT_EQ(server.handshakes, 1);
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].startsWith("GET /list.pls HTTP/1.1\r\n"));
    EXPECT_EQ(g.strFirstTitle, QStringLiteral("Secure FM"));
}

TEST_F(TlsGrabber, RedirectsAreFollowedFromHttpToHttpsAndAtMostFiveInARow)
{
    TlsServer secure(dir.file(QStringLiteral("cert.pem")), dir.file(QStringLiteral("key.pem")),
                     [](const QByteArray& request, bool&) -> QByteArray {
                         if (request.startsWith("GET /again"))
                             return "HTTP/1.1 308 Permanent Redirect\r\nLocation: /list.pls\r\nContent-Length: 0\r\n\r\n";
                         return "HTTP/1.0 200 OK\r\n\r\n" + kPls;
                     });
    const struct {
        const char* what;
        QByteArray status;
        int hops;  // redirects the plain server gives before it points at the secure one
        QStringList events;
    } cases[] = {
        {"301 to https", "301 Moved Permanently", 0, {"https 127.0.0.1 /secure 443", "http b.example.com / 8000", "Done"}},
        {"302", "302 Found", 1, {"https 127.0.0.1 /secure 443", "http b.example.com / 8000", "Done"}},
        {"303", "303 See Other", 2, {"https 127.0.0.1 /secure 443", "http b.example.com / 8000", "Done"}},
        {"307 three times", "307 Temporary Redirect", 3, {"https 127.0.0.1 /secure 443", "http b.example.com / 8000", "Done"}},
        {"six in a row is too many", "302 Found", 5, {"Error 3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // /hopN moves to /hop(N-1); /hop0 moves to the secure server's /again, which moves to /list.pls.
        ScriptedServer plain([&](const QByteArray& request) {
            const qsizetype at = request.indexOf("/hop") + 4;
            const int n = request.mid(at, request.indexOf('/', at) - at).toInt();
            const QByteArray target = n > 0 ? "/hop" + QByteArray::number(n - 1) + "/x.pls"
                                            : secure.base().toUtf8() + "/again/x.pls";
            return ScriptedReply{{"HTTP/1.1 " + c.status + "\r\nLocation: " + target + "\r\nContent-Length: 0\r\n\r\n"}, true};
        });
        ctlURIGrabber g(&clock, &messages);
        EXPECT_EQ(fetch(plain.base() + QStringLiteral("/hop%1/x.pls").arg(c.hops), g), c.events);
    }
}

TEST_F(TlsGrabber, ACertificateThatDoesNotVerifyIsAnErrorNamingTheHostAndReason)
{
    const struct {
        const char* what;
        QString cert, key;
        bool withCaFile;
        const char* reason;
    } cases[] = {
        {"wrong host name", "wrong-cert.pem", "wrong-key.pem", true, "host name"},
        {"unknown issuer", "cert.pem", "key.pem", false, "self-signed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.withCaFile)
            qunsetenv("TONQUILL_CA_FILE");
        TlsServer server(dir.file(c.cert), dir.file(c.key), [](const QByteArray&, bool&) { return "HTTP/1.0 200 OK\r\n\r\n" + kPls; });
        ctlURIGrabber g(&clock, &messages);
        EXPECT_EQ(fetch(server.base() + QStringLiteral("/list.pls"), g), QStringList{"Error 1"});
        EXPECT_TRUE(server.requests.isEmpty());  // nothing was sent over it
        EXPECT_TRUE(g.TlsError().contains(QStringLiteral("127.0.0.1"))) << g.TlsError().toStdString();
        EXPECT_TRUE(g.TlsError().contains(QLatin1String(c.reason), Qt::CaseInsensitive)) << g.TlsError().toStdString();
        g.StdErrorMessage(1);
        ASSERT_FALSE(messages.messages.isEmpty());
        EXPECT_TRUE(messages.messages.last().contains(g.TlsError()));
    }
}
