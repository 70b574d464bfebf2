#include "server/apiserver.h"

#include "history/historyprint.h"
#include "history/historystore.h"
#include "server/pagetexts.h"

#include <QDir>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QLocale>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpSocket>
#include <QTranslator>
#include <QUrl>
#include <QUrlQuery>

namespace {

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

QByteArray cookieValue(const QByteArray& header, const QByteArray& name)
{
    for (const QByteArray& part : header.split(';')) {
        const QByteArray pair = part.trimmed();
        if (pair.startsWith(name + '='))
            return pair.mid(name.size() + 1);
    }
    return {};
}

// The path's parts, each decoded on its own: an escaped "/" stays inside its part.
QStringList pathParts(const QUrl& url)
{
    QStringList parts;
    for (const QString& part : url.path(QUrl::FullyEncoded).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        parts << QUrl::fromPercentEncoding(part.toLatin1());
    return parts;
}

} // namespace

bool HttpFront::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (handler)
        handler(request, socket);
    return true;
}

QHttpServerResponse ErrorResponse(QHttpServerResponse::StatusCode status, const QString& text)
{
    return QHttpServerResponse(QJsonObject{{QStringLiteral("error"), text}}, status);
}

ApiServer::ApiServer(QString token, QString historyPath, QObject* parent)
    : QObject(parent), m_token(std::move(token)), m_historyPath(std::move(historyPath))
{
    m_server.handler = [this](const QHttpServerRequest& request, QTcpSocket* socket) { handle(request, socket); };
}

ApiServer::~ApiServer()
{
    m_server.handler = nullptr;
    // A socket leaving tells this server, whose list is going.
    const QList<QPointer<QTcpSocket>> followers = std::exchange(m_followers, {});
    for (const QPointer<QTcpSocket>& socket : followers) {
        if (socket) {
            socket->disconnect(this);
            socket->disconnectFromHost();
        }
    }
}

bool ApiServer::UseTls(const QString& certificatePath, const QString& keyPath, QString* problem)
{
    QFile certificateFile(certificatePath);
    QFile keyFile(keyPath);
    if (!certificateFile.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("%1 cannot be read: %2").arg(certificatePath, certificateFile.errorString());
        return false;
    }
    if (!keyFile.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("%1 cannot be read: %2").arg(keyPath, keyFile.errorString());
        return false;
    }
    const QSslCertificate certificate(&certificateFile, QSsl::Pem);
    QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) {
        keyFile.seek(0);
        key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    }
    if (certificate.isNull() || key.isNull()) {
        *problem = QStringLiteral("%1 and %2 hold no PEM certificate and key.").arg(certificatePath, keyPath);
        return false;
    }
    m_server.sslSetup(certificate, key);
    return true;
}

quint16 ApiServer::Listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

void ApiServer::handle(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const QStringList parts = pathParts(request.url());
    if (parts.size() >= 2 && parts[0] == QLatin1String("api") && parts[1] == QLatin1String("v1")) {
        if (auto refused = refusal(request)) {
            refused->write(HttpFront::makeResponder(request, socket));
            return;
        }
        if (parts.size() == 3 && parts[2] == QLatin1String("events")) {
            if (request.method() != QHttpServerRequest::Method::Get) {
                ErrorResponse(QHttpServerResponse::StatusCode::MethodNotAllowed,
                              QStringLiteral("The events are only read."))
                    .write(HttpFront::makeResponder(request, socket));
                return;
            }
            follow(request, socket);
            return;
        }
        if (parts.size() >= 3 && parts.size() <= 4 && parts[2] == QLatin1String("schedule")) {
            schedule(request, parts.mid(2), socket);
            return;
        }
        if (parts.size() == 4 && parts[2] == QLatin1String("files") &&
            request.method() == QHttpServerRequest::Method::Get) {
            serveFile(request, parts[3], HttpFront::makeResponder(request, socket));
            return;
        }
        api(request, parts.mid(2)).write(HttpFront::makeResponder(request, socket));
        return;
    }
    if (parts.size() == 1 && parts[0] == QLatin1String("signin")) {
        signIn(request).write(HttpFront::makeResponder(request, socket));
        return;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        ErrorResponse(QHttpServerResponse::StatusCode::MethodNotAllowed, QStringLiteral("The page is only read."))
            .write(HttpFront::makeResponder(request, socket));
        return;
    }
    page(request, parts.isEmpty() ? QStringLiteral("index.html") : parts.join(QLatin1Char('/')))
        .write(HttpFront::makeResponder(request, socket));
}

bool ApiServer::triesLeft()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    while (!m_failures.empty() && m_failures.front().msecsTo(now) > kFailureWindowMs)
        m_failures.pop_front();
    if (m_failures.size() >= size_t(kFailuresAllowed))
        return false;
    return true;
}

bool ApiServer::tokenGiven(const QHttpServerRequest& request) const
{
    const QByteArray authorization = request.value(QByteArrayLiteral("Authorization"));
    const QByteArray bearer("Bearer ");
    if (authorization.startsWith(bearer))
        return sameSecret(authorization.mid(bearer.size()).trimmed(), m_token.toLatin1());
    const QByteArray cookie = cookieValue(request.value(QByteArrayLiteral("Cookie")), kCookie);
    return !cookie.isEmpty() && sameSecret(cookie, m_token.toLatin1());
}

std::optional<QHttpServerResponse> ApiServer::refusal(const QHttpServerRequest& request)
{
    if (!triesLeft())
        return ErrorResponse(QHttpServerResponse::StatusCode::TooManyRequests,
                             QStringLiteral("Too many wrong tokens; try again in a minute."));
    if (!tokenGiven(request)) {
        if (!request.value(QByteArrayLiteral("Authorization")).isEmpty() ||
            !cookieValue(request.value(QByteArrayLiteral("Cookie")), kCookie).isEmpty())
            m_failures.push_back(QDateTime::currentDateTimeUtc());
        return ErrorResponse(QHttpServerResponse::StatusCode::Unauthorized,
                             QStringLiteral("The token is missing or wrong."));
    }
    return changesState(request.method()) ? foreignOrLarge(request) : bodyTooLarge(request);
}

// A request that changes something and names another origin, or whose body
// is over the cap.
std::optional<QHttpServerResponse> ApiServer::foreignOrLarge(const QHttpServerRequest& request)
{
    const QByteArray origin = request.value(QByteArrayLiteral("Origin"));
    const QByteArray host = request.value(QByteArrayLiteral("Host"));
    if (!origin.isEmpty() && origin != "http://" + host && origin != "https://" + host)
        return ErrorResponse(QHttpServerResponse::StatusCode::Forbidden,
                             QStringLiteral("Requests from another origin are refused."));
    return bodyTooLarge(request);
}

std::optional<QHttpServerResponse> ApiServer::bodyTooLarge(const QHttpServerRequest& request)
{
    if (request.body().size() > kMaxBody)
        return ErrorResponse(QHttpServerResponse::StatusCode::PayloadTooLarge,
                             QStringLiteral("The request body is larger than 64 KiB."));
    return std::nullopt;
}

// "POST /signin" with the token as the form field "token": the cookie that
// carries it from then on. Wrong tokens count as they do on the API.
QHttpServerResponse ApiServer::signIn(const QHttpServerRequest& request)
{
    if (request.method() != QHttpServerRequest::Method::Post)
        return ErrorResponse(QHttpServerResponse::StatusCode::MethodNotAllowed, QStringLiteral("Sign in with POST."));
    if (!triesLeft())
        return ErrorResponse(QHttpServerResponse::StatusCode::TooManyRequests,
                             QStringLiteral("Too many wrong tokens; try again in a minute."));
    if (auto refused = foreignOrLarge(request))
        return std::move(*refused);
    const QUrlQuery form(QString::fromUtf8(request.body()).replace(QLatin1Char('+'), QLatin1Char(' ')));
    const QByteArray given = form.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).trimmed().toUtf8();
    if (!sameSecret(given, m_token.toLatin1())) {
        m_failures.push_back(QDateTime::currentDateTimeUtc());
        return ErrorResponse(QHttpServerResponse::StatusCode::Unauthorized, QStringLiteral("The token is wrong."));
    }
    QHttpServerResponse response(QJsonObject{{QStringLiteral("signedIn"), true}});
    response.addHeader(QByteArrayLiteral("Set-Cookie"),
                       QByteArray(kCookie) + '=' + m_token.toLatin1() + "; Path=/; HttpOnly; SameSite=Strict");
    return response;
}

// The page and what it loads, from the program's resources. The page
// carries its texts, in the language the request asks for, as a JSON block
// its script reads.
QHttpServerResponse ApiServer::page(const QHttpServerRequest& request, const QString& name)
{
    static const struct {
        const char* name;
        const char* type;
    } pages[] = {
        {"index.html", "text/html; charset=utf-8"},
        {"app.js", "text/javascript; charset=utf-8"},
        {"app.css", "text/css; charset=utf-8"},
    };
    for (const auto& p : pages) {
        if (name != QLatin1String(p.name))
            continue;
        QFile file(QStringLiteral(":/tonquill/web/") + name);
        if (!file.open(QIODevice::ReadOnly))
            break;
        QByteArray body = file.readAll();
        QByteArray language = "en";
        const bool html = name == QLatin1String("index.html");
        if (html) {
            const QTranslator* translator = catalogueFor(request);
            if (translator)
                language = translator->language().replace(QLatin1Char('_'), QLatin1Char('-')).toLatin1();
            // Nothing in a text ends the block early.
            const QByteArray texts =
                QJsonDocument(PageTexts(translator)).toJson(QJsonDocument::Compact).replace("</", "<\\/");
            body.replace("<html lang=\"en\">", "<html lang=\"" + language + "\">");
            body.replace("<script id=\"texts\" type=\"application/json\"></script>",
                         "<script id=\"texts\" type=\"application/json\">" + texts + "</script>");
        }
        QHttpServerResponse response(QByteArray(p.type), body);
        response.addHeader(QByteArrayLiteral("Content-Security-Policy"),
                           QByteArrayLiteral("default-src 'self'; media-src 'self'; frame-ancestors 'none'"));
        response.addHeader(QByteArrayLiteral("X-Content-Type-Options"), QByteArrayLiteral("nosniff"));
        if (html) {
            response.addHeader(QByteArrayLiteral("Content-Language"), language);
            response.addHeader(QByteArrayLiteral("Vary"), QByteArrayLiteral("Accept-Language"));
        }
        return response;
    }
    return ErrorResponse(QHttpServerResponse::StatusCode::NotFound, QStringLiteral("There is no such page."));
}

void ApiServer::SetCatalogues(const QStringList& folders, const QStringList& fallback)
{
    m_catalogueFolders = folders;
    m_fallbackLanguages = fallback;
    m_catalogues.clear();
}

const QTranslator* ApiServer::catalogueFor(const QHttpServerRequest& request)
{
    const QStringList languages =
        AcceptedLanguages(request.value(QByteArrayLiteral("Accept-Language"))) + m_fallbackLanguages;
    for (const QString& language : languages) {
        const QLocale locale(language);
        if (language == QLatin1String("C") || locale.language() == QLocale::English)
            return nullptr;
        if (const QTranslator* found = catalogue(locale.name()))
            return found;
    }
    return nullptr;
}

const QTranslator* ApiServer::catalogue(const QString& language)
{
    if (const auto it = m_catalogues.find(language); it != m_catalogues.end())
        return it->second.get();
    // A language without a catalogue is remembered as one.
    std::unique_ptr<QTranslator>& kept = m_catalogues[language];
    if (language == QLatin1String("C"))
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder : std::as_const(m_catalogueFolders)) {
        if (QDir(folder).exists() &&
            translator->load(QLocale(language), QStringLiteral("tonquill"), QStringLiteral("_"), folder)) {
            kept = std::move(translator);
            break;
        }
    }
    return kept.get();
}

QHttpServerResponse ApiServer::api(const QHttpServerRequest& request, const QStringList& parts)
{
    const QString what = parts.value(0);
    if (what == QLatin1String("history") && parts.size() == 1) {
        if (request.method() != QHttpServerRequest::Method::Get)
            return ErrorResponse(QHttpServerResponse::StatusCode::MethodNotAllowed,
                                 QStringLiteral("The history is only read."));
        return history(request);
    }
    if (what == QLatin1String("stations") && parts.size() <= 2)
        return stations(request, parts);
    if (what == QLatin1String("recordings") && parts.size() <= 3)
        return recordings(request, parts);
    if (what == QLatin1String("files") && parts.size() <= 2)
        return files(request, parts);
    return ErrorResponse(QHttpServerResponse::StatusCode::NotFound, QStringLiteral("There is no such resource."));
}

QHttpServerResponse ApiServer::history(const QHttpServerRequest& request) const
{
    const QUrlQuery query(request.url());
    HistoryFilter filter;
    filter.station = query.queryItemValue(QStringLiteral("station"), QUrl::FullyDecoded);
    filter.title = query.queryItemValue(QStringLiteral("title"), QUrl::FullyDecoded);
    filter.limit = query.queryItemValue(QStringLiteral("limit")).toInt();
    const QString since = query.queryItemValue(QStringLiteral("since"));
    if (!since.isEmpty()) {
        filter.since = QDate::fromString(since, QStringLiteral("yyyy-MM-dd"));
        if (!filter.since.isValid())
            return ErrorResponse(QHttpServerResponse::StatusCode::BadRequest,
                                 QStringLiteral("since takes a day as YYYY-MM-DD, not \"%1\".").arg(since));
    }
    std::vector<Play> plays;
    if (QFile::exists(m_historyPath)) {
        HistoryStore store(m_historyPath);
        if (!store.Open())
            return ErrorResponse(QHttpServerResponse::StatusCode::InternalServerError, store.Error());
        plays = store.Plays(filter);
    }
    return QHttpServerResponse(QByteArrayLiteral("application/json"), PlaysAsJson(plays));
}
