// Streams over HTTPS: recorded like plain ones; a certificate that does not
// verify is an "[ERR]" status naming the host, and the next server is tried.
#include "fixture.h"

#include "tests/support/tlsserver.h"

class TlsStreamTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        config.lRecordingMode = RecordingMode::SingleFile;
        config.sStreamFileName = QStringLiteral("secure.mp3");
        config.bEnabledTimedRecording = false;
        config.bStartInListenMode = false;
        ASSERT_TRUE(MakeCertificate(certs, QStringLiteral("IP:127.0.0.1")));
        ASSERT_TRUE(MakeCertificate(certs, QStringLiteral("DNS:elsewhere.example"), QStringLiteral("wrong-")));
        qputenv("TONQUILL_CA_FILE", certs.file(QStringLiteral("cert.pem")).toUtf8());
    }
    void TearDown() override { qunsetenv("TONQUILL_CA_FILE"); }

    TempFolder certs;
};

TEST_F(TlsStreamTest, AnHttpsStreamIsRecorded)
{
    TlsServer server(certs.file(QStringLiteral("cert.pem")), certs.file(QStringLiteral("key.pem")),
                     [](const QByteArray&, bool& keep) {
                         keep = true;
                         return QByteArray("ICY 200 OK\r\nicy-name:Secure\r\n\r\nSECRET-AUDIO");
                     });
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/live"), QString::number(server.serverPort()),
                        QString(), true);
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(folder.file(QStringLiteral("secure.mp3"))).size() >= 12; }, 10000));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].startsWith("GET /live HTTP/1.1\r\n"));
    // More audio over the open connection.
    ASSERT_FALSE(server.Streams().isEmpty());
    server.Streams().last()->write("MORE");
    ASSERT_TRUE(WaitUntil([&] { return ReadAll(folder.file(QStringLiteral("secure.mp3"))).size() >= 16; }, 10000));
    recorder->StopRecording();
    EXPECT_TRUE(ReadAll(folder.file(QStringLiteral("secure.mp3"))).startsWith("SECRET-AUDIOMORE"));
}

TEST_F(TlsStreamTest, ACertificateForAnotherHostIsAnErrorAndTheNextServerIsTried)
{
    TlsServer wrong(certs.file(QStringLiteral("wrong-cert.pem")), certs.file(QStringLiteral("wrong-key.pem")),
                    [](const QByteArray&, bool&) { return QByteArray("ICY 200 OK\r\n\r\nNEVER"); });
    QStringList errors;
    QObject::connect(recorder.get(), &frmMP3::songCaptionChanged, [&](const QString& c) {
        if (c.startsWith(QLatin1String("[ERR] TLS:")))
            errors.append(c);
    });
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/live"), QString::number(wrong.serverPort()),
                        QString(), true);
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    recorder->StartRecording(config);
    ASSERT_TRUE(WaitUntil([&] { return station.last() != nullptr; }, 10000));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("127.0.0.1"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("host name"), Qt::CaseInsensitive)) << errors[0].toStdString();
    EXPECT_TRUE(wrong.requests.isEmpty());
    EXPECT_EQ(recorder->ServerNumber(), 2);
    recorder->StopRecording();
}
