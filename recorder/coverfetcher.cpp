#include "recorder/coverfetcher.h"

#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QtConcurrent>

namespace {
// Why the fetcher itself left an answer, kept on the reply.
const char* const kRefusal = "tonquillRefusal";
} // namespace

CoverFetcher::CoverFetcher(QObject* parent) : QObject(parent)
{
}

CoverFetcher::~CoverFetcher() = default;

bool CoverFetcher::Fetchable(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool CoverFetcher::Fetch(const QString& song, const QUrl& url)
{
    if (!Fetchable(url))
        return false;
    if (url == m_lastUrl && m_pending == 0) {
        const CoverResult last = m_lastResult;
        QMetaObject::invokeMethod(
            this, [this, song, url, last] { prepared(song, url, last); }, Qt::QueuedConnection);
        ++m_pending;
        return true;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(m_limits.timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    request.setRawHeader("Accept", "image/jpeg, image/png, image/webp");
    QNetworkReply* reply = m_network->get(request);
    ++m_pending;
    const qsizetype maxBytes = m_limits.maxBytes;
    // A redirect to another scheme is not followed.
    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        if (!Fetchable(to)) {
            reply->setProperty(kRefusal, QStringLiteral("redirect to %1 refused").arg(to.scheme()));
            reply->abort();
        }
    });
    // A server that sends more than a picture may hold, or says it will, is left at once.
    auto tooLong = [reply, maxBytes] {
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        return length > maxBytes || reply->bytesAvailable() > maxBytes;
    };
    auto leaveWhenTooLong = [reply, tooLong] {
        if (tooLong()) {
            reply->setProperty(kRefusal, QStringLiteral("picture larger than the limit"));
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, leaveWhenTooLong);
    connect(reply, &QIODevice::readyRead, reply, leaveWhenTooLong);
    // The whole answer within the limit, however slowly it trickles (the
    // transfer limit alone is reset by every byte).
    QTimer::singleShot(m_limits.timeoutMs, reply, [reply] {
        reply->setProperty(kRefusal, QStringLiteral("the picture did not come in time"));
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, song, url] { finished(reply, song, url); });
    return true;
}

void CoverFetcher::finished(QNetworkReply* reply, const QString& song, const QUrl& url)
{
    reply->deleteLater();
    if (const QString refusal = reply->property(kRefusal).toString(); !refusal.isEmpty()) {
        prepared(song, url, {CoverPicture(), refusal});
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        QString why;
        switch (reply->error()) {
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            why = QStringLiteral("the picture did not come in time");
            break;
        case QNetworkReply::TooManyRedirectsError:
            why = QStringLiteral("too many redirects");
            break;
        case QNetworkReply::InsecureRedirectError:
            why = QStringLiteral("redirect refused");
            break;
        default:
            why = reply->errorString();
        }
        prepared(song, url, {CoverPicture(), why});
        return;
    }
    const QByteArray bytes = reply->readAll();
    QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    if (PictureContentType(type).isEmpty()) {
        // A web page, or no type at all, is not a picture.
        prepared(song, url,
                 {CoverPicture(), QStringLiteral("not a picture (%1)")
                                      .arg(type.isEmpty() ? QStringLiteral("no type") : QString::fromLatin1(type))});
        return;
    }
    // Decoding and scaling take a moment: off this thread.
    auto* watcher = new QFutureWatcher<CoverResult>(this);
    connect(watcher, &QFutureWatcher<CoverResult>::finished, this, [this, watcher, song, url] {
        watcher->deleteLater();
        prepared(song, url, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([bytes, type] { return PrepareCover(bytes, type); }));
}

void CoverFetcher::prepared(const QString& song, const QUrl& url, const CoverResult& result)
{
    --m_pending;
    m_lastUrl = url;
    m_lastResult = result;
    if (result.ok())
        emit fetched(song, result.picture);
    else
        emit refused(song, result.error);
}
