// The scheduled recordings of the API: the at jobs the panel makes, each
// starting the recorder on a preset at its time; a station of the station
// list gets a preset of its own, named by its id. The scheduler answers
// later, so these answers are written when it has.
#include "server/apiserver.h"

#include <algorithm>

#include "config/configuration.h"
#include "platform/atscheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

namespace {

using Status = QHttpServerResponse::StatusCode;
using Method = QHttpServerRequest::Method;

const char* reason(Status status)
{
    switch (status) {
    case Status::Ok: return "OK";
    case Status::Created: return "Created";
    case Status::NoContent: return "No Content";
    case Status::BadRequest: return "Bad Request";
    case Status::NotFound: return "Not Found";
    case Status::MethodNotAllowed: return "Method Not Allowed";
    case Status::Conflict: return "Conflict";
    case Status::UnprocessableEntity: return "Unprocessable Entity";
    case Status::ServiceUnavailable: return "Service Unavailable";
    default: return "Internal Server Error";
    }
}

// The answer to the request waiting on `socket`, unless it has gone.
void answer(const QPointer<QTcpSocket>& socket, Status status, const QJsonValue& body = {})
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray json = body.isArray()    ? QJsonDocument(body.toArray()).toJson(QJsonDocument::Compact)
                            : body.isObject() ? QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact)
                                              : QByteArray();
    QByteArray head = "HTTP/1.1 " + QByteArray::number(int(status)) + ' ' + reason(status) + "\r\n";
    if (!json.isEmpty())
        head += "Content-Type: application/json\r\n";
    head += "Content-Length: " + QByteArray::number(json.size()) + "\r\n\r\n";
    socket->write(head + json);
}

void answerError(const QPointer<QTcpSocket>& socket, Status status, const QString& text)
{
    answer(socket, status, QJsonObject{{QStringLiteral("error"), text}});
}

Status statusOf(TaskFailure failure)
{
    switch (failure) {
    case TaskFailure::None: return Status::Ok;
    case TaskFailure::NameTaken: return Status::Conflict;
    case TaskFailure::BadName:
    case TaskFailure::NotInFuture: return Status::UnprocessableEntity;
    case TaskFailure::NotInstalled:
    case TaskFailure::NotRunning: return Status::ServiceUnavailable;
    case TaskFailure::Refused: break;
    }
    return Status::InternalServerError;
}

} // namespace

QJsonObject ApiServer::taskAsJson(const ScheduledTask& task) const
{
    ServedStation station;
    const QFileInfo preset(task.parameters);
    const bool made = !m_madePresets.isEmpty() && QDir(m_madePresets) == preset.absoluteDir();
    if (m_stations)
        for (const ServedStation& s : m_stations->All())
            if (s.preset.isEmpty() ? made && preset.completeBaseName() == s.id : s.preset == task.parameters)
                station = s;
    return {{QStringLiteral("id"), task.id},
            {QStringLiteral("name"), task.name},
            {QStringLiteral("start"), task.StartsAt().toString(Qt::ISODate)},
            {QStringLiteral("preset"), task.parameters},
            {QStringLiteral("station"), station.title},
            {QStringLiteral("stationId"), station.id}};
}

bool ApiServer::madePreset(const QString& path) const
{
    if (m_madePresets.isEmpty())
        return false;
    const QFileInfo file(path);
    return file.isFile() && QFileInfo(file.absolutePath()) == QFileInfo(m_madePresets);
}

QString ApiServer::presetToSchedule(const ServedStation& station, QString* problem) const
{
    if (!station.preset.isEmpty())
        return station.preset;
    // Line 2 of a preset takes only a playlist's address.
    if (!clsConfiguration::IsPlaylistAddress(station.address)) {
        *problem = QStringLiteral("%1 is no playlist address (.m3u, .pls or .m3u8) a scheduled recording can start on.")
                       .arg(station.address);
        return {};
    }
    // A preset's first line would read such a title as a comment or a flag.
    const QString title = station.title;
    const QStringList flags{QStringLiteral("!L-"), QStringLiteral("!P-"), QStringLiteral("!X-")};
    if (title.isEmpty() || title.startsWith(QLatin1Char(' ')) || title.startsWith(QLatin1Char('#')) ||
        (title.size() >= 4 && flags.contains(title.left(3)))) {
        *problem = QStringLiteral("A preset cannot be titled \"%1\"; give the station a title beginning with a "
                                  "letter or a digit.")
                       .arg(title);
        return {};
    }
    if (m_madePresets.isEmpty() || !QDir().mkpath(m_madePresets)) {
        *problem = QStringLiteral("There is no folder to keep the station's preset in.");
        return {};
    }
    // Recorded as the server records it: song by song into the default
    // folder, until it is stopped, nothing deleted.
    clsConfiguration preset;
    preset.sRecordingTitle = station.title;
    preset.sShoutCastFile = station.address;
    preset.lRecordingMode = RecordingMode::PerSong;
    preset.bEnabledTimedRecording = false;
    preset.lTimedRecording = 0;
    preset.bExitTimedRecording = true;
    preset.bDeleteArchivesAfterTime = false;
    preset.lDaysToKeepRecording = 0;
    preset.bStartPaused = false;
    preset.bStartInListenMode = false;
    const QString path = QDir(m_madePresets).filePath(station.id + QStringLiteral(".tvp"));
    if (!preset.SaveConfigurationFile(path)) {
        *problem = QStringLiteral("%1 cannot be written.").arg(path);
        return {};
    }
    return path;
}

void ApiServer::schedule(const QHttpServerRequest& request, const QStringList& parts, QTcpSocket* socket)
{
    const QPointer<QTcpSocket> waiting(socket);
    if (!m_scheduler || !m_stations)
        return answerError(waiting, Status::ServiceUnavailable, QStringLiteral("This server schedules nothing."));
    QPointer<ApiServer> self(this);
    if (parts.size() == 1 && request.method() == Method::Get) {
        m_scheduler->Tasks([self, waiting](const TaskReply& failure, const QList<ScheduledTask>& tasks) {
            if (!self)
                return;
            if (!failure.ok())
                return answerError(waiting, statusOf(failure.failure), failure.error);
            QJsonArray all;
            for (const ScheduledTask& t : tasks)
                all.append(self->taskAsJson(t));
            answer(waiting, Status::Ok, all);
        });
        return;
    }
    if (parts.size() == 1 && request.method() == Method::Post) {
        const QJsonObject body = QJsonDocument::fromJson(request.body()).object();
        const ServedStation station = m_stations->Find(body.value(QStringLiteral("station")).toString());
        if (station.id.isEmpty())
            return answerError(waiting, Status::NotFound, QStringLiteral("There is no such station."));
        const QString startText = body.value(QStringLiteral("start")).toString();
        const QDateTime start = QDateTime::fromString(startText, Qt::ISODate);
        if (!start.isValid())
            return answerError(
                waiting, Status::BadRequest,
                QStringLiteral("start takes a local time as YYYY-MM-DDTHH:MM, not \"%1\".").arg(startText));
        QString problem;
        const QString preset = presetToSchedule(station, &problem);
        if (preset.isEmpty())
            return answerError(waiting, Status::UnprocessableEntity, problem);
        ScheduledTask task;
        task.name = body.value(QStringLiteral("name"))
                        .toString(QStringLiteral("%1 %2").arg(station.title,
                                                              start.toString(QStringLiteral("yyyy-MM-dd hh.mm"))));
        task.program = m_program;
        task.workingDirectory = m_program.left(m_program.lastIndexOf(QLatin1Char('/')) + 1);
        task.parameters = preset;
        task.creator = QStringLiteral("Tonquill");
        task.flags = 8193;
        task.account = qEnvironmentVariable("USER");
        task.trigger = {start.date(), QTime(start.time().hour(), start.time().minute()), 1, 1};
        task.hasTrigger = true;
        AtScheduler* scheduler = m_scheduler;
        scheduler->NewTask(task.name, [self, waiting, scheduler, task](const TaskReply& begun) {
            if (!self)
                return;
            if (!begun.ok())
                return answerError(waiting, statusOf(begun.failure), begun.error);
            scheduler->Store(task, [self, waiting](const TaskReply& stored) {
                if (!self)
                    return;
                if (!stored.ok())
                    return answerError(waiting, statusOf(stored.failure), stored.error);
                answer(waiting, Status::Created, self->taskAsJson(stored.task));
            });
        });
        return;
    }
    if (parts.size() == 2 && request.method() == Method::Delete) {
        AtScheduler* scheduler = m_scheduler;
        const QString id = parts[1];
        scheduler->Tasks([self, waiting, scheduler, id](const TaskReply& failure, const QList<ScheduledTask>& tasks) {
            if (!self)
                return;
            if (!failure.ok())
                return answerError(waiting, statusOf(failure.failure), failure.error);
            const auto it =
                std::find_if(tasks.cbegin(), tasks.cend(), [&](const ScheduledTask& t) { return t.id == id; });
            if (it == tasks.cend())
                return answerError(waiting, Status::NotFound, QStringLiteral("There is no such scheduled recording."));
            // A preset made for a station goes with its last job.
            QString madePreset;
            if (self->madePreset(it->parameters) &&
                std::none_of(tasks.cbegin(), tasks.cend(),
                             [&](const ScheduledTask& t) { return t.id != id && t.parameters == it->parameters; }))
                madePreset = it->parameters;
            scheduler->Delete(*it, [waiting, madePreset](const TaskReply& deleted) {
                if (!deleted.ok())
                    return answerError(waiting, statusOf(deleted.failure), deleted.error);
                if (!madePreset.isEmpty())
                    QFile::remove(madePreset);
                answer(waiting, Status::NoContent);
            });
        });
        return;
    }
    answerError(waiting, Status::MethodNotAllowed, QStringLiteral("The schedule does not take that."));
}
