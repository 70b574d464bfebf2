#include "sources/searchfetch.h"

#include "sources/stationsearch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <zlib.h>

namespace {

// Unpacks a gzip body that the network layer left packed (it knows only
// some names of the coding, "x-gzip" not among them). At most `maxBytes`+1
// bytes come out, so a small bomb stays small; false when the bytes are not
// gzip.
bool gunzip(const QByteArray& packed, qsizetype maxBytes, QByteArray* out)
{
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = uInt(packed.size());
    out->clear();
    char buffer[1 << 16];
    int result = Z_OK;
    while (result == Z_OK && out->size() <= maxBytes) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out->append(buffer, qsizetype(sizeof buffer - z.avail_out));
        if (result == Z_BUF_ERROR && z.avail_in == 0)
            break; // the packed bytes ended early
    }
    inflateEnd(&z);
    return result == Z_STREAM_END || out->size() > maxBytes;
}

} // namespace

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
    const QByteArray coding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    r.encoded = !coding.isEmpty() && coding != "identity";
    if (forced == Done && m_body.size() <= m_maxBytes)
        m_body += reply->read(m_maxBytes + 1 - m_body.size());
    if (forced == Done && r.encoded && m_body.startsWith("\x1f\x8b") && coding.contains("gzip")) {
        QByteArray plain;
        if (!gunzip(m_body, m_maxBytes, &plain)) {
            forced = CutShort;
            r.error = tr("the packed bytes are broken");
        }
        m_body = plain;
    }
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
        // A failure after a good status line is a broken answer, not an
        // error the server gave.
        const bool answered = r.status >= 200 && r.status < 300;
        r.outcome = answered ? CutShort : r.status ? HttpError : NetworkError;
        r.error = reply->errorString();
    }
    reply->deleteLater();
    emit finished(r);
}

QString SearchFetch::Describe(const Result& r)
{
    switch (r.outcome) {
    case Done:
        return tr("Done.");
    case HttpError:
        return tr("The server answered with error %1.").arg(r.status);
    case NetworkError:
        return tr("The server could not be reached: %1").arg(r.error);
    case TimedOut:
        return tr("The server did not answer in time; the search was stopped.");
    case Cancelled:
        return tr("The search was cancelled.");
    case TooLarge:
        return tr("The answer was too large; only its beginning was read.");
    case CutShort:
        if (r.encoded)
            return tr("The server's answer could not be unpacked (%1).").arg(r.error);
        return tr("The server's answer was cut short after %1 bytes (%2).").arg(r.body.size()).arg(r.error);
    }
    return QString();
}
