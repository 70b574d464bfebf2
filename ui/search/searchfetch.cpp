#include "ui/search/searchfetch.h"

#include "ui/search/stationsearch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

SearchFetch::SearchFetch(QNetworkAccessManager* network, qsizetype maxBytes, QObject* parent)
    : QObject(parent), m_network(network), m_maxBytes(maxBytes)
{
    m_stall.setSingleShot(true);
    m_stall.setInterval(kDefaultStallMs);
    connect(&m_stall, &QTimer::timeout, this, [this] { finish(TimedOut); });
}

void SearchFetch::start(const QUrl& url)
{
    if (m_reply) {
        QNetworkReply* old = m_reply;
        m_reply = nullptr;
        old->disconnect(this);
        old->abort();
        old->deleteLater();
    }
    m_body.clear();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, SearchUserAgent());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &SearchFetch::read);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { m_stall.start(); });
    connect(m_reply, &QNetworkReply::finished, this, [this] { finish(Done); });
    m_stall.start();
    emit started(url);
}

void SearchFetch::cancel()
{
    if (m_reply)
        finish(Cancelled);
}

void SearchFetch::read()
{
    if (!m_reply)
        return;
    m_stall.start();
    m_body += m_reply->read(m_maxBytes + 1 - m_body.size());
    if (m_body.size() > m_maxBytes)
        finish(TooLarge);
}

void SearchFetch::finish(Outcome forced)
{
    if (!m_reply)
        return;
    m_stall.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    Result r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    r.url = reply->url();
    if (forced == Done && m_body.size() <= m_maxBytes)
        m_body += reply->read(m_maxBytes + 1 - m_body.size());
    if (forced == Done && m_body.size() > m_maxBytes)
        forced = TooLarge;
    if (forced == TooLarge)
        m_body.truncate(m_maxBytes);
    r.body = m_body;
    m_body.clear();
    if (forced != Done) {
        r.outcome = forced;
        reply->abort();
    } else if (reply->error() == QNetworkReply::NoError) {
        r.outcome = Done;
    } else {
        r.outcome = r.status ? HttpError : NetworkError;
        r.error = reply->errorString();
    }
    reply->deleteLater();
    emit finished(r);
}

QString SearchFetch::Describe(const Result& r)
{
    switch (r.outcome) {
    case Done:
        return QStringLiteral("Done.");
    case HttpError:
        return QStringLiteral("The server answered with error %1.").arg(r.status);
    case NetworkError:
        return QStringLiteral("The server could not be reached: %1").arg(r.error);
    case TimedOut:
        return QStringLiteral("The server did not answer in time; the search was stopped.");
    case Cancelled:
        return QStringLiteral("The search was cancelled.");
    case TooLarge:
        return QStringLiteral("The answer was too large; only its beginning was read.");
    }
    return QString();
}
