#pragma once

#include "server/recordingcontrol.h"
#include "server/servedstations.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QHostAddress>
#include <QHttpServerResponse>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

class AtScheduler;
struct ScheduledTask;
class QHttpServerRequest;
class QHttpServerResponder;
class QTcpSocket;

// The HTTP front: every request goes to one function.
class HttpFront : public QAbstractHttpServer {
public:
    std::function<void(const QHttpServerRequest&, QTcpSocket*)> handler;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}
    friend class ApiServer;
};

// The server of "--serve": the web page at "/", the sign-in at "/signin" and
// the HTTP API under /api/v1. Every API request carries the token
// ("Authorization: Bearer TOKEN", or the cookie the sign-in sets); a
// state-changing request naming another origin is refused, bodies are capped
// and wrong tokens slow down. Files are served by id only, from what the
// history saved and the folders recordings go into.
class ApiServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxBody = 64 * 1024;
    // Wrong tokens allowed within kFailureWindowMs before requests are refused.
    static constexpr int kFailuresAllowed = 5;
    static constexpr int kFailureWindowMs = 60 * 1000;
    static constexpr const char* kCookie = "tonquill-token";

    ApiServer(QString token, QString historyPath, QObject* parent = nullptr);
    ~ApiServer() override;

    // What the API offers beyond the history; without them those parts answer 503.
    void SetStations(ServedStations* stations) { m_stations = stations; }
    void SetRecordings(RecordingControl* recordings) { m_recordings = recordings; }
    // The at jobs, each starting `program` on a preset.
    void SetScheduler(AtScheduler* scheduler, const QString& program)
    {
        m_scheduler = scheduler;
        m_program = program;
    }

    // Answers over TLS only; false with `problem` when the files cannot be read.
    bool UseTls(const QString& certificatePath, const QString& keyPath, QString* problem);
    // Listens on `address`:`port` (0: any free port); the port listened on,
    // 0 when it cannot listen.
    quint16 Listen(const QHostAddress& address, quint16 port);

    // Tells everyone following /api/v1/events how recording `id` is now.
    void PublishRecording(int id);
    // The clients following /api/v1/events.
    int Followers() const;

private:
    void handle(const QHttpServerRequest& request, QTcpSocket* socket);
    // The answer refusing `request` before it is handled, if it is refused.
    std::optional<QHttpServerResponse> refusal(const QHttpServerRequest& request);
    static std::optional<QHttpServerResponse> foreignOrLarge(const QHttpServerRequest& request);
    static std::optional<QHttpServerResponse> bodyTooLarge(const QHttpServerRequest& request);
    bool triesLeft();
    bool tokenGiven(const QHttpServerRequest& request) const;
    QHttpServerResponse page(const QString& name) const;
    QHttpServerResponse signIn(const QHttpServerRequest& request);
    QHttpServerResponse api(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse history(const QHttpServerRequest& request) const;
    QHttpServerResponse stations(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse recordings(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse files(const QHttpServerRequest& request, const QStringList& parts);
    void serveFile(const QHttpServerRequest& request, const QString& id, QHttpServerResponder&& responder);
    void schedule(const QHttpServerRequest& request, const QStringList& parts, QTcpSocket* socket);
    QJsonObject taskAsJson(const ScheduledTask& task) const;
    void follow(const QHttpServerRequest& request, QTcpSocket* socket);
    void sendEvent(const QByteArray& name, const QJsonValue& data);

    struct ServedFile {
        QString id, path, station, title;
    };
    QList<ServedFile> servedFiles() const;

    HttpFront m_server;
    QString m_token;
    QString m_historyPath;
    ServedStations* m_stations = nullptr;
    RecordingControl* m_recordings = nullptr;
    AtScheduler* m_scheduler = nullptr;
    QString m_program;
    std::deque<QDateTime> m_failures;
    QList<QPointer<QTcpSocket>> m_followers;
};

// Shared by the parts of the server.
QHttpServerResponse ErrorResponse(QHttpServerResponse::StatusCode status, const QString& text);
QJsonObject RecordingAsJson(const RecordingInfo& recording);
