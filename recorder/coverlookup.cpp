#include "recorder/coverlookup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QUrlQuery>

namespace {

// A search term in double quotes: the quote and the backslash escaped.
QString quoted(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString trimmedHost(const QString& host)
{
    QString h = host.trimmed();
    while (h.endsWith(QLatin1Char('/')))
        h.chop(1);
    return h;
}

} // namespace

CoverLookup::CoverLookup(QObject* parent) : QObject(parent)
{
    m_turn.setSingleShot(true);
    connect(&m_turn, &QTimer::timeout, this, &CoverLookup::next);
    connect(&m_fetcher, &CoverFetcher::fetched, this, [this](const QString&, const CoverPicture& picture) {
        answer({picture, QString()});
    });
    connect(&m_fetcher, &CoverFetcher::refused, this, [this](const QString&, const QString& why) {
        answer({CoverPicture(), why});
    });
}

CoverLookup::~CoverLookup() = default;

void CoverLookup::SetLimits(const CoverFetcher::Limits& limits)
{
    m_fetcher.SetLimits(limits);
    m_timeoutMs = limits.timeoutMs;
}

QUrl CoverLookup::SearchUrl(const QString& host, const QString& artist, const QString& title)
{
    QUrl url(trimmedHost(host) + QStringLiteral("/ws/2/recording/"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("query"),
                       QStringLiteral("artist:%1 AND recording:%2").arg(quoted(artist), quoted(title)));
    query.addQueryItem(QStringLiteral("fmt"), QStringLiteral("json"));
    query.addQueryItem(QStringLiteral("limit"), QStringLiteral("5"));
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

QString CoverLookup::ReleaseOf(const QByteArray& answer)
{
    // Only an id of the service's own form goes into an address.
    static const QRegularExpression id(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    const QJsonDocument doc = QJsonDocument::fromJson(answer);
    for (const QJsonValue recording : doc.object().value(QStringLiteral("recordings")).toArray()) {
        for (const QJsonValue release : recording.toObject().value(QStringLiteral("releases")).toArray()) {
            const QString release_id = release.toObject().value(QStringLiteral("id")).toString();
            if (id.match(release_id).hasMatch())
                return release_id;
        }
    }
    return QString();
}

void CoverLookup::Look(const QString& song, const QString& artist, const QString& title)
{
    const QString a = artist.trimmed(), t = title.trimmed();
    if (song.isEmpty() || a.isEmpty() || t.isEmpty())
        return;
    const QString key = a.toCaseFolded() + QChar(0) + t.toCaseFolded();
    if (const auto known = m_answers.constFind(key); known != m_answers.constEnd()) {
        const CoverResult result = *known;
        // Told as a fresh answer would be: never from within the call.
        QMetaObject::invokeMethod(
            this,
            [this, song, result] {
                if (result.ok())
                    emit found(song, result.picture);
                else
                    emit notFound(song, result.error);
            },
            Qt::QueuedConnection);
        return;
    }
    for (const Wish& w : m_queue)
        if (w.song == song)
            return;
    if (m_busy && m_current.song == song)
        return;
    m_queue.push_back({song, key, a, t});
    if (!m_busy && !m_turn.isActive())
        next();
}

void CoverLookup::Clear()
{
    m_queue.clear();
    m_turn.stop();
}

void CoverLookup::next()
{
    if (m_busy)
        return;
    // Songs that found a better picture meanwhile are passed over.
    while (!m_queue.empty() && m_stillWanted && !m_stillWanted(m_queue.front().song))
        m_queue.pop_front();
    if (m_queue.empty())
        return;
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < kGapMs) {
        m_turn.start(int(kGapMs - m_sinceLast.elapsed()));
        return;
    }
    m_current = m_queue.front();
    m_queue.pop_front();
    m_busy = true;
    m_sinceLast.start();

    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(SearchUrl(m_hosts.search, m_current.artist, m_current.title));
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setRawHeader("Accept", "application/json");
    // The service asks every program to name itself.
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Tonquill/1.0 (radio recorder)"));
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QIODevice::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > kMaxSearchBytes)
            reply->abort();
    });
    // The whole answer within the limit, however slowly it trickles.
    QTimer::singleShot(m_timeoutMs, reply, [reply] { reply->abort(); });
    const Wish wish = m_current;
    connect(reply, &QNetworkReply::finished, this, [this, reply, wish] {
        reply->deleteLater();
        QString error;
        if (reply->error() == QNetworkReply::OperationCanceledError)
            error = QStringLiteral("the search did not answer in time, or answered too much");
        else if (reply->error() != QNetworkReply::NoError)
            error = reply->errorString();
        searched(wish, error.isEmpty() ? reply->readAll() : QByteArray(), error);
    });
}

void CoverLookup::searched(const Wish& wish, const QByteArray& body, const QString& error)
{
    if (!error.isEmpty()) {
        // Not kept: the service may answer the next time.
        m_busy = false;
        emit notFound(wish.song, error);
        next();
        return;
    }
    const QString release = ReleaseOf(body);
    if (release.isEmpty()) {
        answer({CoverPicture(), QStringLiteral("no release found")});
        return;
    }
    const QUrl picture(trimmedHost(m_hosts.art) + QStringLiteral("/release/%1/front-500").arg(release));
    // The picture is the second request of this turn: it waits its own gap.
    const qint64 wait = qMax<qint64>(0, kGapMs - m_sinceLast.elapsed());
    QTimer::singleShot(int(wait), this, [this, picture] {
        m_sinceLast.start();
        if (!m_fetcher.Fetch(m_current.song, picture))
            answer({CoverPicture(), QStringLiteral("the picture's address is refused")});
    });
}

void CoverLookup::answer(const CoverResult& result)
{
    if (!m_answers.contains(m_current.key)) {
        m_answers.insert(m_current.key, result);
        m_answerOrder.push_back(m_current.key);
        if (m_answerOrder.size() > kAnswersKept) {
            m_answers.remove(m_answerOrder.front());
            m_answerOrder.pop_front();
        }
    }
    m_busy = false;
    if (result.ok())
        emit found(m_current.song, result.picture);
    else
        emit notFound(m_current.song, result.error);
    next();
}
