#include "server/apiserver.h"

#include "history/historyprint.h"
#include "history/historystore.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

namespace {

QHttpServerResponse errorResponse(QHttpServerResponse::StatusCode status, const QString& text)
{
    return QHttpServerResponse(QJsonObject{{QStringLiteral("error"), text}}, status);
}

bool changesState(QHttpServerRequest::Method method)
{
    return method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head &&
           method != QHttpServerRequest::Method::Options;
}

// Compares without leaving the length of the matching start in the time taken.
bool sameSecret(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

ApiServer::ApiServer(QString token, QString historyPath, QObject* parent)
    : QObject(parent), m_token(std::move(token)), m_historyPath(std::move(historyPath))
{
    m_server.route(QStringLiteral("/api/v1/history"), [this](const QHttpServerRequest& request) {
        if (auto refused = refusal(request))
            return std::move(*refused);
        if (request.method() != QHttpServerRequest::Method::Get)
            return errorResponse(QHttpServerResponse::StatusCode::MethodNotAllowed,
                                 QStringLiteral("The history is only read."));
        return history(request);
    });
    m_server.route(QStringLiteral("/api/v1/<arg>"), [this](const QString&, const QHttpServerRequest& request) {
        if (auto refused = refusal(request))
            return std::move(*refused);
        return errorResponse(QHttpServerResponse::StatusCode::NotFound, QStringLiteral("There is no such resource."));
    });
}

quint16 ApiServer::Listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

std::optional<QHttpServerResponse> ApiServer::refusal(const QHttpServerRequest& request)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    while (!m_failures.empty() && m_failures.front().msecsTo(now) > kFailureWindowMs)
        m_failures.pop_front();
    if (m_failures.size() >= size_t(kFailuresAllowed))
        return errorResponse(QHttpServerResponse::StatusCode::TooManyRequests,
                             QStringLiteral("Too many wrong tokens; try again in a minute."));

    const QByteArray authorization = request.value(QByteArrayLiteral("Authorization"));
    const QByteArray bearer("Bearer ");
    if (!authorization.startsWith(bearer) || !sameSecret(authorization.mid(bearer.size()).trimmed(), m_token.toLatin1())) {
        if (!authorization.isEmpty())
            m_failures.push_back(now);
        return errorResponse(QHttpServerResponse::StatusCode::Unauthorized,
                             QStringLiteral("The token is missing or wrong."));
    }
    if (changesState(request.method())) {
        const QByteArray origin = request.value(QByteArrayLiteral("Origin"));
        const QByteArray own = "http://" + request.value(QByteArrayLiteral("Host"));
        if (!origin.isEmpty() && origin != own && origin != "https://" + request.value(QByteArrayLiteral("Host")))
            return errorResponse(QHttpServerResponse::StatusCode::Forbidden,
                                 QStringLiteral("Requests from another origin are refused."));
    }
    if (request.body().size() > kMaxBody)
        return errorResponse(QHttpServerResponse::StatusCode::PayloadTooLarge,
                             QStringLiteral("The request body is larger than 64 KiB."));
    return std::nullopt;
}

QHttpServerResponse ApiServer::history(const QHttpServerRequest& request) const
{
    const QUrlQuery query(request.url());
    HistoryFilter filter;
    filter.station = query.queryItemValue(QStringLiteral("station"), QUrl::FullyDecoded);
    filter.title = query.queryItemValue(QStringLiteral("title"), QUrl::FullyDecoded);
    const QString since = query.queryItemValue(QStringLiteral("since"));
    if (!since.isEmpty()) {
        filter.since = QDate::fromString(since, QStringLiteral("yyyy-MM-dd"));
        if (!filter.since.isValid())
            return errorResponse(QHttpServerResponse::StatusCode::BadRequest,
                                 QStringLiteral("since takes a day as YYYY-MM-DD, not \"%1\".").arg(since));
    }
    std::vector<Play> plays;
    if (QFile::exists(m_historyPath)) {
        HistoryStore store(m_historyPath);
        if (!store.Open())
            return errorResponse(QHttpServerResponse::StatusCode::InternalServerError, store.Error());
        plays = store.Plays(filter);
    }
    return QHttpServerResponse(QByteArrayLiteral("application/json"), PlaysAsJson(plays));
}
