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
#include <map>
#include <memory>
#include <optional>

class AtScheduler;
struct ScheduledTask;
class QHttpServerRequest;
class QHttpServerResponder;
class QTcpSocket;
class QTranslator;

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
    // Ended recordings stay listed, with the state they ended in, until this
    // many have ended after them; then they are forgotten, and the event
    // "removed" tells so.
    static constexpr int kEndedKept = 20;

    ApiServer(QString token, QString historyPath, QObject* parent = nullptr);
    ~ApiServer() override;

    // What the API offers beyond the history; without them those parts answer 503.
    void SetStations(ServedStations* stations) { m_stations = stations; }
    void SetRecordings(RecordingControl* recordings) { m_recordings = recordings; }
    // The at jobs, each starting `program` on a preset: a station of the
    // station list is recorded from a preset made for it in `madePresets`.
    void SetScheduler(AtScheduler* scheduler, const QString& program, const QString& madePresets)
    {
        m_scheduler = scheduler;
        m_program = program;
        m_madePresets = madePresets;
    }

    // Answers over TLS only; false with `problem` when the files cannot be read.
    bool UseTls(const QString& certificatePath, const QString& keyPath, QString* problem);
    // Listens on `address`:`port` (0: any free port); the port listened on,
    // 0 when it cannot listen.
    quint16 Listen(const QHostAddress& address, quint16 port);

    // Tells everyone following /api/v1/events how recording `id` is now.
    void PublishRecording(int id);
    // The page speaks the first language of the request's Accept-Language
    // that has a catalogue "tonquill_<language>.qm" in `folders`, else the
    // first of `fallback` (the server's languages) that has one, else English.
    void SetCatalogues(const QStringList& folders, const QStringList& fallback);
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
    QHttpServerResponse page(const QHttpServerRequest& request, const QString& name);
    QHttpServerResponse signIn(const QHttpServerRequest& request);
    QHttpServerResponse api(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse history(const QHttpServerRequest& request) const;
    QHttpServerResponse stations(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse recordings(const QHttpServerRequest& request, const QStringList& parts);
    QHttpServerResponse files(const QHttpServerRequest& request, const QStringList& parts);
    void serveFile(const QHttpServerRequest& request, const QString& id, QHttpServerResponder&& responder);
    void schedule(const QHttpServerRequest& request, const QStringList& parts, QTcpSocket* socket);
    QJsonObject taskAsJson(const ScheduledTask& task) const;
    // The preset a scheduled recording of `station` starts on, made for a
    // station of the station list; empty with `problem` said when it cannot be.
    QString presetToSchedule(const ServedStation& station, QString* problem) const;
    // `path` is a preset made for a station of the list.
    bool madePreset(const QString& path) const;
    void follow(const QHttpServerRequest& request, QTcpSocket* socket);
    void sendEvent(const QByteArray& name, const QJsonValue& data);
    // Notes `recording` if it has just ended; forgets the oldest ended ones
    // beyond kEndedKept.
    void noteEnded(const RecordingInfo& recording);
    void forgetOldEnded();
    // The recordings to list, the ended ones beyond kEndedKept forgotten.
    QList<RecordingInfo> listedRecordings();
    // The catalogue for the languages `request` accepts; null for English.
    const QTranslator* catalogueFor(const QHttpServerRequest& request);
    const QTranslator* catalogue(const QString& language);

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
    QString m_madePresets;
    std::deque<QDateTime> m_failures;
    QList<QPointer<QTcpSocket>> m_followers;
    std::deque<int> m_ended; // oldest first
    QStringList m_catalogueFolders;
    QStringList m_fallbackLanguages;
    // The catalogues loaded, by language; null where there is none.
    std::map<QString, std::unique_ptr<QTranslator>> m_catalogues;
};

// Shared by the parts of the server.
QHttpServerResponse ErrorResponse(QHttpServerResponse::StatusCode status, const QString& text);
QJsonObject RecordingAsJson(const RecordingInfo& recording);
