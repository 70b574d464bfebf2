// The stations, the recordings and the events of the API.
#include "server/apiserver.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <algorithm>

namespace {

using Status = QHttpServerResponse::StatusCode;
using Method = QHttpServerRequest::Method;

QJsonObject stationAsJson(const ServedStation& s)
{
    return {{QStringLiteral("id"), s.id},
            {QStringLiteral("title"), s.title},
            {QStringLiteral("address"), s.address},
            {QStringLiteral("kind"), s.preset.isEmpty() ? QStringLiteral("list") : QStringLiteral("preset")}};
}

// The request's body as a JSON object, or why it is none.
std::optional<QJsonObject> bodyObject(const QHttpServerRequest& request, QString* problem)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(request.body(), &error);
    if (!document.isObject()) {
        *problem = error.error != QJsonParseError::NoError
                       ? QStringLiteral("The body is no JSON: %1.").arg(error.errorString())
                       : QStringLiteral("The body is no JSON object.");
        return std::nullopt;
    }
    return document.object();
}

QHttpServerResponse notRunning()
{
    return ErrorResponse(Status::ServiceUnavailable, QStringLiteral("This server runs no recordings."));
}

} // namespace

QJsonObject RecordingAsJson(const RecordingInfo& r)
{
    return {{QStringLiteral("id"), r.id},
            {QStringLiteral("station"), r.station},
            {QStringLiteral("stationId"), r.stationId},
            {QStringLiteral("state"), r.state},
            {QStringLiteral("title"), r.title},
            {QStringLiteral("file"), r.file},
            {QStringLiteral("elapsed"), r.elapsed},
            {QStringLiteral("bytes"), r.bytes}};
}

QHttpServerResponse ApiServer::stations(const QHttpServerRequest& request, const QStringList& parts)
{
    if (!m_stations)
        return notRunning();
    QString problem;
    if (parts.size() == 1 && request.method() == Method::Get) {
        QJsonArray all;
        for (const ServedStation& s : m_stations->All(&problem))
            all.append(stationAsJson(s));
        if (!problem.isEmpty())
            return ErrorResponse(Status::InternalServerError, problem);
        return QHttpServerResponse(all);
    }
    if (parts.size() == 1 && request.method() == Method::Post) {
        const auto body = bodyObject(request, &problem);
        if (!body)
            return ErrorResponse(Status::BadRequest, problem);
        const QString title = body->value(QStringLiteral("title")).toString().trimmed();
        const QString address = body->value(QStringLiteral("address")).toString().trimmed();
        if (title.isEmpty() || address.isEmpty() || title.contains(QLatin1Char('\n')) ||
            address.contains(QLatin1Char('\n')))
            return ErrorResponse(Status::BadRequest, QStringLiteral("A station needs a title and an address, "
                                                                    "each on one line."));
        const ServedStation added = m_stations->Add(title, address, &problem);
        if (added.id.isEmpty())
            return ErrorResponse(Status::InternalServerError, problem);
        return QHttpServerResponse(stationAsJson(added), Status::Created);
    }
    if (parts.size() == 2 && request.method() == Method::Get) {
        const ServedStation s = m_stations->Find(parts[1]);
        if (s.id.isEmpty())
            return ErrorResponse(Status::NotFound, QStringLiteral("There is no such station."));
        return QHttpServerResponse(stationAsJson(s));
    }
    if (parts.size() == 2 && request.method() == Method::Delete) {
        if (m_stations->Find(parts[1]).id.isEmpty())
            return ErrorResponse(Status::NotFound, QStringLiteral("There is no such station."));
        if (!m_stations->Remove(parts[1], &problem))
            return ErrorResponse(Status::InternalServerError, problem);
        return QHttpServerResponse(Status::NoContent);
    }
    return ErrorResponse(Status::MethodNotAllowed, QStringLiteral("The stations do not take that."));
}

QHttpServerResponse ApiServer::recordings(const QHttpServerRequest& request, const QStringList& parts)
{
    if (!m_recordings || !m_stations)
        return notRunning();
    if (parts.size() == 1 && request.method() == Method::Get) {
        QJsonArray all;
        for (const RecordingInfo& r : listedRecordings())
            all.append(RecordingAsJson(r));
        return QHttpServerResponse(all);
    }
    if (parts.size() == 1 && request.method() == Method::Post) {
        QString problem;
        const auto body = bodyObject(request, &problem);
        if (!body)
            return ErrorResponse(Status::BadRequest, problem);
        const QString mode = body->value(QStringLiteral("mode")).toString(QStringLiteral("record"));
        if (mode != QLatin1String("record") && mode != QLatin1String("watch"))
            return ErrorResponse(Status::BadRequest,
                                 QStringLiteral("mode is \"record\" or \"watch\", not \"%1\".").arg(mode));
        const ServedStation station = m_stations->Find(body->value(QStringLiteral("station")).toString());
        if (station.id.isEmpty())
            return ErrorResponse(Status::NotFound, QStringLiteral("There is no such station."));
        const int id = m_recordings->Start(station, mode == QLatin1String("watch"), &problem);
        if (id == 0)
            return ErrorResponse(Status::UnprocessableEntity, problem);
        const auto started = m_recordings->Recording(id);
        return QHttpServerResponse(started ? RecordingAsJson(*started) : QJsonObject{{QStringLiteral("id"), id}},
                                   Status::Created);
    }
    bool number = false;
    const int id = parts.value(1).toInt(&number);
    const auto recording = number ? m_recordings->Recording(id) : std::nullopt;
    if (!recording)
        return ErrorResponse(Status::NotFound, QStringLiteral("There is no such recording."));
    if (parts.size() == 2 && request.method() == Method::Get)
        return QHttpServerResponse(RecordingAsJson(*recording));
    if (parts.size() == 2 && request.method() == Method::Delete) {
        if (!m_recordings->Stop(id))
            return ErrorResponse(Status::Conflict, QStringLiteral("The recording has ended already."));
        const RecordingInfo stopped = m_recordings->Recording(id).value_or(*recording);
        noteEnded(stopped);
        forgetOldEnded();
        return QHttpServerResponse(RecordingAsJson(stopped));
    }
    const QString action = parts.value(2);
    if (parts.size() == 3 && request.method() == Method::Post &&
        (action == QLatin1String("pause") || action == QLatin1String("resume"))) {
        if (!m_recordings->SetPaused(id, action == QLatin1String("pause")))
            return ErrorResponse(Status::Conflict, QStringLiteral("The recording is not running."));
        return QHttpServerResponse(RecordingAsJson(m_recordings->Recording(id).value_or(*recording)));
    }
    if (parts.size() == 3 && action != QLatin1String("pause") && action != QLatin1String("resume"))
        return ErrorResponse(Status::NotFound, QStringLiteral("There is no such resource."));
    return ErrorResponse(Status::MethodNotAllowed, QStringLiteral("The recording does not take that."));
}

// "GET /api/v1/events": the answer never ends; every change is sent as an
// event: "recordings" (all of them) at once, then "recording" (one) at each
// of its changes, and "removed" ({"id": …}) when an ended one is forgotten.
void ApiServer::follow(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = HttpFront::makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode::Ok);
    responder.writeHeaders({{"Content-Type", "text/event-stream"},
                            {"Cache-Control", "no-store"},
                            {"Connection", "close"},
                            {"X-Accel-Buffering", "no"}});
    m_followers.append(QPointer<QTcpSocket>(socket));
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        m_followers.removeIf([socket](const QPointer<QTcpSocket>& s) { return !s || s == socket; });
    });
    QJsonArray all;
    for (const RecordingInfo& r : listedRecordings())
        all.append(RecordingAsJson(r));
    // The first body ends the header.
    responder.writeBody("event: recordings\ndata: " + QJsonDocument(all).toJson(QJsonDocument::Compact) + "\n\n");
}

void ApiServer::PublishRecording(int id)
{
    if (!m_recordings)
        return;
    const auto r = m_recordings->Recording(id);
    if (!r)
        return;
    if (!m_followers.isEmpty())
        sendEvent("recording", RecordingAsJson(*r));
    noteEnded(*r);
    forgetOldEnded();
}

QList<RecordingInfo> ApiServer::listedRecordings()
{
    if (!m_recordings)
        return {};
    QList<RecordingInfo> all = m_recordings->Recordings();
    for (const RecordingInfo& r : std::as_const(all))
        noteEnded(r);
    forgetOldEnded();
    // Every ended one was noted: one noted no longer has been forgotten.
    all.removeIf([this](const RecordingInfo& r) {
        return r.Finished() && std::find(m_ended.cbegin(), m_ended.cend(), r.id) == m_ended.cend();
    });
    return all;
}

void ApiServer::noteEnded(const RecordingInfo& recording)
{
    if (recording.Finished() && std::find(m_ended.cbegin(), m_ended.cend(), recording.id) == m_ended.cend())
        m_ended.push_back(recording.id);
}

void ApiServer::forgetOldEnded()
{
    while (m_ended.size() > size_t(kEndedKept)) {
        const int id = m_ended.front();
        m_ended.pop_front();
        m_recordings->Forget(id);
        if (!m_followers.isEmpty())
            sendEvent("removed", QJsonObject{{QStringLiteral("id"), id}});
    }
}

void ApiServer::sendEvent(const QByteArray& name, const QJsonValue& data)
{
    const QByteArray json = data.isArray() ? QJsonDocument(data.toArray()).toJson(QJsonDocument::Compact)
                                           : QJsonDocument(data.toObject()).toJson(QJsonDocument::Compact);
    const QByteArray event = "event: " + name + "\ndata: " + json + "\n\n";
    m_followers.removeIf(
        [](const QPointer<QTcpSocket>& s) { return !s || s->state() != QAbstractSocket::ConnectedState; });
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_followers))
        socket->write(event);
}

int ApiServer::Followers() const
{
    return int(std::count_if(m_followers.cbegin(), m_followers.cend(), [](const QPointer<QTcpSocket>& s) {
        return s && s->state() == QAbstractSocket::ConnectedState;
    }));
}
