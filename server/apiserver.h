#pragma once

#include <QDateTime>
#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <QString>

#include <deque>
#include <optional>

class QHttpServerRequest;
class QHttpServerResponse;

// The HTTP API of "--serve" under /api/v1: every request carries the token
// ("Authorization: Bearer TOKEN"), a state-changing request naming another
// origin is refused, bodies are capped and wrong tokens slow down.
class ApiServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxBody = 64 * 1024;
    // Wrong tokens allowed within kFailureWindowMs before requests are refused.
    static constexpr int kFailuresAllowed = 5;
    static constexpr int kFailureWindowMs = 60 * 1000;

    ApiServer(QString token, QString historyPath, QObject* parent = nullptr);

    // Listens on `address`:`port` (0: any free port); the port listened on,
    // 0 when it cannot listen.
    quint16 Listen(const QHostAddress& address, quint16 port);

private:
    // The answer refusing `request` before it is handled, if it is refused.
    std::optional<QHttpServerResponse> refusal(const QHttpServerRequest& request);
    QHttpServerResponse history(const QHttpServerRequest& request) const;

    QHttpServer m_server;
    QString m_token;
    QString m_historyPath;
    std::deque<QDateTime> m_failures;
};
