// The recorded files of the API: listed with ids, served by id (with byte
// ranges), moved to the trash by id.
#include "history/historystore.h"
#include "server/apiserver.h"
#include "server/byterange.h"
#include "server/trash.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QMimeDatabase>
#include <QSet>

namespace {

using Status = QHttpServerResponse::StatusCode;
using Method = QHttpServerRequest::Method;

const QStringList kAudioNames{QStringLiteral("*.mp3"), QStringLiteral("*.aac"), QStringLiteral("*.ogg"),
                              QStringLiteral("*.opus"), QStringLiteral("*.m4a")};

QString fileId(const QString& canonicalPath)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(canonicalPath.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

// `length` bytes of a file from `start` on, as a device of that size.
class FileSpan : public QIODevice {
public:
    FileSpan(const QString& path, qint64 start, qint64 length) : m_file(path), m_start(start), m_length(length) {}
    bool open(OpenMode mode) override
    {
        if (!m_file.open(QIODevice::ReadOnly) || !m_file.seek(m_start))
            return false;
        return QIODevice::open(mode);
    }
    qint64 size() const override { return m_length; }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 left = m_length - (m_file.pos() - m_start);
        if (left <= 0)
            return -1;
        return m_file.read(data, qMin(maxSize, left));
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_file.seek(m_start + pos); }

private:
    QFile m_file;
    qint64 m_start;
    qint64 m_length;
};

} // namespace

QList<ApiServer::ServedFile> ApiServer::servedFiles() const
{
    QList<ServedFile> files;
    QSet<QString> seen;
    const auto add = [&](const QString& path, const QString& station, const QString& title) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty() || !info.isFile() || seen.contains(canonical))
            return;
        seen.insert(canonical);
        files.append({fileId(canonical), canonical, station, title});
    };
    if (QFile::exists(m_historyPath)) {
        HistoryStore store(m_historyPath);
        if (store.Open())
            for (const Play& play : store.Plays())
                if (!play.file.isEmpty())
                    add(play.file, play.station, play.title);
    }
    if (m_recordings) {
        for (const QString& folder : m_recordings->Folders()) {
            const QDir dir(folder);
            for (const QFileInfo& info : dir.entryInfoList(kAudioNames, QDir::Files, QDir::Time))
                add(info.filePath(), QString(), info.completeBaseName());
        }
    }
    return files;
}

QHttpServerResponse ApiServer::files(const QHttpServerRequest& request, const QStringList& parts)
{
    const QList<ServedFile> all = servedFiles();
    if (parts.size() == 1) {
        if (request.method() != Method::Get)
            return ErrorResponse(Status::MethodNotAllowed, QStringLiteral("The files are listed with GET."));
        QJsonArray list;
        for (const ServedFile& f : all) {
            const QFileInfo info(f.path);
            list.append(QJsonObject{
                {QStringLiteral("id"), f.id},
                {QStringLiteral("name"), info.fileName()},
                {QStringLiteral("station"), f.station},
                {QStringLiteral("title"), f.title},
                {QStringLiteral("size"), info.size()},
                {QStringLiteral("modified"),
                 info.lastModified().toOffsetFromUtc(info.lastModified().offsetFromUtc()).toString(Qt::ISODate)}});
        }
        return QHttpServerResponse(list);
    }
    const auto it = std::find_if(all.cbegin(), all.cend(), [&](const ServedFile& f) { return f.id == parts[1]; });
    if (it == all.cend())
        return ErrorResponse(Status::NotFound, QStringLiteral("There is no such file."));
    // GET of one file is answered by serveFile, streaming it.
    if (request.method() != Method::Delete)
        return ErrorResponse(Status::MethodNotAllowed, QStringLiteral("A file is read or deleted."));
    if (m_recordings) {
        for (const RecordingInfo& r : m_recordings->Recordings())
            if (!r.file.isEmpty() && QFileInfo(r.file).canonicalFilePath() == it->path)
                return ErrorResponse(Status::Conflict, QStringLiteral("The file is being recorded."));
    }
    QString problem;
    if (!MoveToTrash(it->path, &problem))
        return ErrorResponse(Status::InternalServerError, problem);
    return QHttpServerResponse(Status::NoContent);
}

void ApiServer::serveFile(const QHttpServerRequest& request, const QString& id, QHttpServerResponder&& responder)
{
    const QList<ServedFile> all = servedFiles();
    const auto it = std::find_if(all.cbegin(), all.cend(), [&](const ServedFile& f) { return f.id == id; });
    if (it == all.cend()) {
        ErrorResponse(Status::NotFound, QStringLiteral("There is no such file.")).write(std::move(responder));
        return;
    }
    const QFileInfo info(it->path);
    const qint64 size = info.size();
    const QByteArray type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).name().toLatin1();
    const QByteArray disposition = "inline; filename*=UTF-8''" + QUrl::toPercentEncoding(info.fileName());
    const ByteRange range = ParseByteRange(request.value(QByteArrayLiteral("Range")), size);
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        QHttpServerResponse refused =
            ErrorResponse(Status::RequestRangeNotSatisfiable, QStringLiteral("The file has %1 bytes.").arg(size));
        refused.addHeader(QByteArrayLiteral("Content-Range"), "bytes */" + QByteArray::number(size));
        refused.write(std::move(responder));
        return;
    }
    const bool part = range.kind == ByteRange::Kind::Part;
    const qint64 first = part ? range.first : 0;
    const qint64 length = part ? range.last - range.first + 1 : size;
    auto* span = new FileSpan(it->path, first, length);
    if (!span->open(QIODevice::ReadOnly)) {
        delete span;
        ErrorResponse(Status::InternalServerError, QStringLiteral("The file cannot be read."))
            .write(std::move(responder));
        return;
    }
    const QByteArray contentRange = "bytes " + QByteArray::number(first) + '-' +
                                    QByteArray::number(first + length - 1) + '/' + QByteArray::number(size);
    if (part)
        responder.write(span,
                        {{"Content-Type", type},
                         {"Accept-Ranges", "bytes"},
                         {"Content-Disposition", disposition},
                         {"Content-Range", contentRange}},
                        QHttpServerResponder::StatusCode::PartialContent);
    else
        responder.write(span,
                        {{"Content-Type", type}, {"Accept-Ranges", "bytes"}, {"Content-Disposition", disposition}},
                        QHttpServerResponder::StatusCode::Ok);
}
