#pragma once

// A TLS server on 127.0.0.1 for tests, with a certificate the test makes
// with the openssl tool. Each request (up to its blank line) is answered by
// the handler's bytes; the connection then closes unless the handler keeps
// it (a stream that goes on is written by the test through Streams()).
#include "tests/support/eventwait.h"

#include <QFile>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>

#include <functional>

// Makes a self-signed certificate for `names` ("IP:127.0.0.1,DNS:localhost")
// in `dir` as cert.pem and key.pem; false when openssl failed.
inline bool MakeCertificate(const TempFolder& dir, const QString& names, const QString& prefix = QStringLiteral(""))
{
    QProcess p;
    p.start(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
             QStringLiteral("-nodes"), QStringLiteral("-keyout"), dir.file(prefix + QStringLiteral("key.pem")),
             QStringLiteral("-out"), dir.file(prefix + QStringLiteral("cert.pem")), QStringLiteral("-days"),
             QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=Tonquill test"),
             QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + names});
    if (!p.waitForFinished(30000))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class TlsServer : public QTcpServer {
public:
    // `reply` gets the request and returns the bytes to send; `keepOpen`
    // set to true leaves the connection open afterwards.
    using Handler = std::function<QByteArray(const QByteArray& request, bool& keepOpen)>;

    TlsServer(const QString& certPath, const QString& keyPath, Handler handler) : m_handler(std::move(handler))
    {
        QFile c(certPath), k(keyPath);
        if (c.open(QIODevice::ReadOnly))
            m_cert = QSslCertificate(c.readAll(), QSsl::Pem);
        if (k.open(QIODevice::ReadOnly))
            m_key = QSslKey(k.readAll(), QSsl::Rsa, QSsl::Pem);
        listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    }
    QString base() const { return QStringLiteral("https://127.0.0.1:%1").arg(serverPort()); }
    QList<QPointer<QSslSocket>>& Streams() { return m_open; }
    int handshakes = 0;
    QList<QByteArray> requests;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* s = new QSslSocket(this);
        if (!s->setSocketDescriptor(descriptor)) {
            delete s;
            return;
        }
        s->setLocalCertificate(m_cert);
        s->setPrivateKey(m_key);
        s->setPeerVerifyMode(QSslSocket::VerifyNone);
        auto* buffer = new QByteArray;
        connect(s, &QObject::destroyed, [buffer] { delete buffer; });
        connect(s, &QSslSocket::encrypted, this, [this] { ++handshakes; });
        connect(s, &QSslSocket::readyRead, this, [this, s, buffer] {
            *buffer += s->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray request = buffer->left(end + 4);
            buffer->clear();
            requests.append(request);
            bool keep = false;
            s->write(m_handler(request, keep));
            if (keep)
                m_open.append(s);
            else
                s->disconnectFromHost();
        });
        connect(s, &QSslSocket::disconnected, s, &QObject::deleteLater);
        s->startServerEncryption();
    }

private:
    Handler m_handler;
    QSslCertificate m_cert;
    QSslKey m_key;
    QList<QPointer<QSslSocket>> m_open;
};
