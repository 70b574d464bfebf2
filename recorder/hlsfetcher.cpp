#include "recorder/hlsfetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslSocket>
#include <utility>

namespace {
// A request that brings nothing for this long has failed.
constexpr int kTransferTimeoutMs = 10000;
} // namespace

HlsNetFetcher::HlsNetFetcher(QByteArray userAgent, QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_userAgent(std::move(userAgent))
{
}

HlsNetFetcher::~HlsNetFetcher()
{
    Abort();
}

void HlsNetFetcher::Get(const QUrl& url, qsizetype limit, Done done)
{
    Abort();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(kTransferTimeoutMs);
    if (url.scheme() == QLatin1String("https")) {
        // Verified as the stream connections are, with the same extra authority.
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
        const QString caFile = qEnvironmentVariable("TONQUILL_CA_FILE");
        if (!caFile.isEmpty())
            tls.addCaCertificates(caFile);
        request.setSslConfiguration(tls);
    }
    m_limit = limit;
    m_tooLarge = false;
    m_done = std::move(done);
    m_reply = m_manager->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (reply != m_reply || m_tooLarge)
            return;
        if (received > m_limit || total > m_limit) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, &HlsNetFetcher::finished);
}

void HlsNetFetcher::Abort()
{
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_done = nullptr;
}

void HlsNetFetcher::finished()
{
    QNetworkReply* reply = m_reply;
    if (!reply || sender() != reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    HlsFetchResult result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray().toLower();
    result.tooLarge = m_tooLarge;
    if (!m_tooLarge && reply->error() == QNetworkReply::NoError && result.status / 100 == 2) {
        result.body = reply->readAll();
        result.tooLarge = result.body.size() > m_limit;
        result.ok = !result.tooLarge;
    } else if (!m_tooLarge) {
        result.error = result.status > 0 ? QStringLiteral("HTTP %1").arg(result.status) : reply->errorString();
    }
    Done done = std::exchange(m_done, nullptr);
    if (done)
        done(result);
}
