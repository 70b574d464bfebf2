#include "recorder/recordingfiles.h"

#include "listen/aacframes.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "recorder/cleancut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/uio.h>
#include <unistd.h>

QString DateStampMMDDYYYY(const QDate& date)
{
    return QStringLiteral("%1%2%3")
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString CleanRecordingName(const QString& name)
{
    const QString extension = RecordingExtensionOf(name);
    if (!name.endsWith(extension, Qt::CaseInsensitive))
        return CleanFileName(name);
    return CleanFileName(name.left(name.size() - extension.size())) + name.right(extension.size());
}

QString FullRecordingPath(const QString& sMP3Path, const QString& name)
{
    QString folder = sMP3Path;
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return JoinPath(folder, FitFileName(CleanRecordingName(name), FileNameLimit(folder)));
}

TagInfo TagInfoForRecording(const QString& name, bool titleMode, const QString& sRecordingTitle)
{
    TagInfo tag;
    if (!titleMode) {
        tag.Title = sRecordingTitle;
        return tag;
    }
    const QString base = name.left(std::max<qsizetype>(0, name.size() - 4));
    const qsizetype dash = base.indexOf(QLatin1String(" - "));
    if (dash >= 0) {
        tag.Artist = base.left(dash);
        tag.Title = base.mid(dash + 3);
    } else {
        tag.Title = base;
    }
    return tag;
}

namespace {
// Encodes first, then cuts, so a field never takes more than its 30 bytes.
void putField(QByteArray& tag, int offset, const QString& text)
{
    const QByteArray bytes = EncodeLatin1Lossy(text).left(30);
    std::copy(bytes.cbegin(), bytes.cend(), tag.begin() + offset);
}
}  // namespace

QByteArray BuildID3v1Tag(const TagInfo& info, const QDate& taggingDate)
{
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    putField(tag, 3, info.Title);
    putField(tag, 33, info.Artist);
    putField(tag, 63, info.Album);
    const QString year = QStringLiteral("%1").arg(taggingDate.year(), 4, 10, QLatin1Char('0')).right(4);
    putField(tag, 93, year);
    const QString comment = QStringLiteral("Rec: Tavrix %1-%2-%3")
                                .arg(year)
                                .arg(taggingDate.month(), 2, 10, QLatin1Char('0'))
                                .arg(taggingDate.day(), 2, 10, QLatin1Char('0'));
    putField(tag, 97, comment);
    tag[127] = static_cast<char>(255);
    return tag;
}

bool WriteID3Tag(const QString& path, const TagInfo& info, const QDate& taggingDate)
{
    if (info.Artist.isEmpty() && info.Title.isEmpty() && info.Album.isEmpty())
        return false;
    QFile f(path);
    // Only a file that is there gets a tag; a missing one is not created.
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    qint64 at = f.size();
    if (at >= 128) {
        if (!f.seek(at - 128))
            return false;
        if (f.read(3) == "TAG")
            at -= 128;
    }
    if (!f.seek(at))
        return false;
    const QByteArray tag = BuildID3v1Tag(info, taggingDate);
    if (f.write(tag) != tag.size() || !f.flush())
        return false;
    f.close();
    return f.error() == QFileDevice::NoError;
}

bool TagRecording(const QString& sMP3Path, const QString& name, bool titleMode, const QString& sRecordingTitle,
                  const QDate& today)
{
    const TagInfo info = TagInfoForRecording(name, titleMode, sRecordingTitle);
    if (info.Artist.isEmpty() && info.Title.isEmpty() && info.Album.isEmpty())
        return true;  // nothing to tag
    return WriteID3Tag(FullRecordingPath(sMP3Path, name), info, today);
}

QString RecordingExtension(const QByteArray& contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    const QByteArray type = (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
    if (aacframes::IsAacType(type))
        return QStringLiteral(".aac");
    if (type == "audio/opus")
        return QStringLiteral(".opus");
    if (type == "audio/ogg" || type == "application/ogg" || type == "audio/vorbis")
        return QStringLiteral(".ogg");
    return QStringLiteral(".mp3");
}

QString RecordingExtensionOf(const QString& name)
{
    for (const char* other : {".aac", ".ogg", ".opus"}) {
        if (name.endsWith(QLatin1String(other), Qt::CaseInsensitive))
            return QLatin1String(other);
    }
    return QStringLiteral(".mp3");
}

QString RepeatPathFor(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.left(slash + 1) + QLatin1Char('.') + path.mid(slash + 1) + QStringLiteral(".repeat");
}

namespace {
// The audio in a recording file: its size without an ID3v1 tag at the end.
qint64 audioSizeOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 size = f.size();
    if (size >= 128 && f.seek(size - 128) && f.read(3) == "TAG")
        size -= 128;
    // An ID3v2 tag at the start: "ID3", version, flags, a 28-bit size.
    f.seek(0);
    const QByteArray head = f.read(10);
    if (head.size() == 10 && head.startsWith("ID3")) {
        const auto b = [&](int i) { return qint64(static_cast<unsigned char>(head.at(i)) & 0x7F); };
        size -= std::min(size, 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9)));
    }
    return size;
}
}  // namespace

QString SettleRepeat(const QString& repeatPath, const QString& earlierPath)
{
    if (!FileExists(repeatPath))
        return earlierPath;
    // rename(2) replaces the earlier file in one step: at no time is
    // neither recording there.
    if (::rename(QFile::encodeName(repeatPath).constData(), QFile::encodeName(earlierPath).constData()) == 0)
        return earlierPath;
    return repeatPath;
}

double AudioSecondsOf(const QString& path, qint32 kbps)
{
    const qint64 size = audioSizeOf(path);
    if (size <= 0)
        return 0;
    if (RecordingExtensionOf(path) == QLatin1String(".mp3")) {
        // Frames tell the playing time of any bit rate; the tags around them
        // are no frames.
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const std::vector<Mp3Frame> frames = FindMp3Frames(f.readAll());
            double seconds = 0;
            qint64 inFrames = 0;
            for (const Mp3Frame& frame : frames) {
                seconds += double(frame.samples) / frame.sampleRate;
                inFrames += frame.size;
            }
            if (inFrames * 2 > size)
                return seconds;
        }
    }
    return double(size) * 8.0 / (1000.0 * (kbps > 0 ? kbps : 128));
}

QString KeepRepeatAsVersion(const QString& repeatPath, const QString& earlierPath)
{
    for (int n = 2; n <= kMaxNumberedNames; ++n) {
        const QString version = NumberedPath(earlierPath, n);
        // link(2) fails on a name that is taken: no version is overwritten.
        if (::link(QFile::encodeName(repeatPath).constData(), QFile::encodeName(version).constData()) == 0) {
            QFile::remove(repeatPath);
            return version;
        }
        if (errno != EEXIST)
            break;
    }
    return QString();
}

QString NumberedPath(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype stem = dot > slash ? dot : path.size();
    return path.left(stem) + QStringLiteral(" (%1)").arg(n) + path.mid(stem);
}

QString FreePath(const QString& path)
{
    for (int n = 2; FileExists(path) && n <= kMaxNumberedNames; ++n) {
        const QString numbered = NumberedPath(path, n);
        if (!FileExists(numbered))
            return numbered;
    }
    return path;
}

bool LockedByAnother(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also lets go of the lock just taken
    return locked;
}

bool RecordingFile::lock()
{
    return ::flock(m_file.handle(), LOCK_EX | LOCK_NB) == 0;
}

bool RecordingFile::Create(const QString& requested)
{
    Close();
    m_lastError.clear();
    m_bytesWritten = 0;
    m_path.clear();
    m_replaces.clear();
    m_takenBy.clear();
    QString path = requested;
    // A name another recorder is writing goes on under the next free number.
    for (int n = 2; n <= kMaxNumberedNames && FileExists(path) && LockedByAnother(path); ++n) {
        m_takenBy = requested;
        path = NumberedPath(requested, n);
    }
    if (m_keepEarlier && FileExists(path)) {
        m_replaces = path;
        path = RepeatPathFor(path);
    }
    // Exactly this path, and only a file: a folder of that name stays.
    if (FileExists(path) && !QFile::remove(path)) {
        m_lastError = QCoreApplication::translate("RecordingFile", "cannot delete the old file %1").arg(path);
        m_replaces.clear();
        return false;
    }
    m_file.setFileName(path);
    // Unbuffered: the audio goes from the received chunk straight to the
    // file, without a copy through a write buffer.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_lastError = m_file.errorString();
        m_replaces.clear();
        return false;
    }
    lock();
    m_path = path;
    return true;
}

bool RecordingFile::Append(const QString& path, const QString& replaces)
{
    Close();
    m_lastError.clear();
    m_bytesWritten = 0;
    m_path.clear();
    m_replaces.clear();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_lastError = m_file.errorString();
        return false;
    }
    if (!lock()) {
        // Another recorder writes it now.
        m_lastError = QCoreApplication::translate("RecordingFile", "%1 is being written by another recorder").arg(path);
        m_file.close();
        return false;
    }
    qint64 end = m_file.size();
    if (end >= 128 && m_file.seek(end - 128) && m_file.read(3) == "TAG") {
        end -= 128;
        if (!m_file.resize(end)) {
            m_lastError = m_file.errorString();
            m_file.close();
            return false;
        }
    }
    if (!m_file.seek(end)) {
        m_lastError = m_file.errorString();
        m_file.close();
        return false;
    }
    m_path = path;
    m_replaces = replaces;
    return true;
}

bool RecordingFile::Write(const char* data, qsizetype size)
{
    if (!m_file.isOpen()) {
        dropQueue();
        m_lastError = QCoreApplication::translate("RecordingFile", "no recording file is open");
        return false;
    }
    if (!Flush())
        return false;
    if (size <= 0)
        return true;
    const Piece piece{data, size};
    return writePieces(&piece, 1);
}

QByteArray RecordingFile::ReadTail(qint64 n)
{
    if (!m_file.isOpen() || !Flush())
        return {};
    const qint64 size = m_file.size();
    n = std::min(n, size);
    QByteArray tail(n, Qt::Uninitialized);
    qint64 got = 0;
    while (got < n) {
        const ssize_t r = ::pread(m_file.handle(), tail.data() + got, size_t(n - got), off_t(size - n + got));
        if (r <= 0) {
            if (r < 0 && errno == EINTR)
                continue;
            break;
        }
        got += r;
    }
    tail.resize(got);
    return tail;
}

bool RecordingFile::DropTail(qint64 n)
{
    if (!m_file.isOpen() || !Flush() || n <= 0)
        return n == 0;
    const qint64 size = m_file.size();
    n = std::min(n, size);
    if (::ftruncate(m_file.handle(), off_t(size - n)) != 0 || ::lseek(m_file.handle(), 0, SEEK_END) < 0) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_bytesWritten -= n;
    return true;
}

void RecordingFile::dropQueue()
{
    m_queue.clear();
    m_queuedBytes = 0;
}

void RecordingFile::Queue(const char* data, qsizetype size)
{
    if (size <= 0)
        return;
    if (!m_queue.empty() && m_queue.back().data + m_queue.back().size == data) {
        m_queue.back().size += size;  // contiguous with the last piece
    } else {
        if (m_queue.size() >= IOV_MAX)
            Flush();
        m_queue.push_back({data, size});
    }
    m_queuedBytes += size;
}

bool RecordingFile::Flush()
{
    if (m_queue.empty())
        return true;
    if (!m_file.isOpen()) {
        dropQueue();
        m_lastError = QCoreApplication::translate("RecordingFile", "no recording file is open");
        return false;
    }
    const bool ok = writePieces(m_queue.data(), qsizetype(m_queue.size()));
    dropQueue();
    return ok;
}

// All pieces, in order, at the end of the file; a short write goes on from
// where it stopped. The file is opened unbuffered, so its descriptor is the
// only place bytes go.
bool RecordingFile::writePieces(const Piece* pieces, qsizetype count)
{
    const int fd = m_file.handle();
    iovec vec[IOV_MAX];
    qsizetype next = 0;      // first piece not yet (fully) written
    qsizetype skip = 0;      // bytes of that piece already written
    while (next < count) {
        int n = 0;
        for (qsizetype i = next; i < count && n < IOV_MAX; ++i, ++n) {
            const qsizetype off = i == next ? skip : 0;
            vec[n].iov_base = const_cast<char*>(pieces[i].data + off);
            vec[n].iov_len = size_t(pieces[i].size - off);
        }
        const ssize_t done = ::writev(fd, vec, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            m_lastError = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (done == 0) {
            m_lastError = QCoreApplication::translate("RecordingFile", "the file takes no more bytes");
            return false;
        }
        m_bytesWritten += done;
        qsizetype left = qsizetype(done);
        while (left > 0) {
            const qsizetype rest = pieces[next].size - skip;
            if (left >= rest) {
                left -= rest;
                ++next;
                skip = 0;
            } else {
                skip += left;
                left = 0;
            }
        }
    }
    return true;
}

void RecordingFile::Close()
{
    if (!m_file.isOpen()) {
        dropQueue();
        return;
    }
    Flush();
    m_file.close();
}

bool CreateRecordingFile(const QString& sMP3Path, QString& name, RecordingFile& file, const QDate& today,
                         ISleeper& sleeper, int pauseMs)
{
    return CreateRecordingFileAt(FullRecordingPath(sMP3Path, name), name, file, today, sleeper, pauseMs);
}

bool CreateRecordingFileAt(const QString& path, QString& name, RecordingFile& file, const QDate& today,
                           ISleeper& sleeper, int pauseMs)
{
    if (file.Create(path)) {
        sleeper.Sleep(pauseMs);
        return true;
    }
    name = QStringLiteral("unknown-") + QString::number(QRandomGenerator::global()->bounded(60000)) +
           QLatin1Char('-') + DateStampMMDDYYYY(today) + RecordingExtensionOf(name);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    file.Create(FullRecordingPath(slash < 0 ? QString() : path.left(slash + 1), name));
    return false;
}

bool ArchiveDateOf(const QString& fileName, QDate& date)
{
    qsizetype n = fileName.size();
    // ".mp3", ".aac", ".ogg" or ".opus"; any other of four characters.
    const QString extension = RecordingExtensionOf(fileName);
    const qsizetype ext = fileName.endsWith(extension, Qt::CaseInsensitive) ? extension.size() : 4;
    // A numbered version of the day's archive ("-MMDDYYYY (2).mp3") is of
    // that day too.
    const qsizetype open = fileName.lastIndexOf(QLatin1String(" ("));
    if (open > 0 && n > ext && fileName.at(n - ext - 1) == QLatin1Char(')') && open + 2 < n - ext - 1) {
        const QStringView number = QStringView(fileName).mid(open + 2, n - ext - 1 - open - 2);
        if (std::all_of(number.cbegin(), number.cend(),
                        [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
            n = open + ext;
    }
    if (n < 8 + ext)
        return false;
    const QString digits = fileName.mid(n - 8 - ext, 8);  // MMDDYYYY
    if (!std::all_of(digits.cbegin(), digits.cend(),
                     [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        return false;
    const int month = digits.left(2).toInt();
    const int day = digits.mid(2, 2).toInt();
    const int year = digits.mid(4, 4).toInt();
    if (year < 1)  // there is no year 0
        return false;
    // Month 0 is December of the year before, day 0 the last of the month
    // before; larger values run on into the following months.
    date = QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
    return date.isValid();
}

int MP3Cleanup(const QString& sMP3Path, bool bDeleteArchivesAfterTime, qint32 lDaysToKeepRecording,
               const QDateTime& now)
{
    // A negative number of days would put the limit in the future and
    // delete every archive, today's too.
    if (!bDeleteArchivesAfterTime || lDaysToKeepRecording <= 0)
        return 0;
    QString folder = sMP3Path;
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (!dir.exists())
        return 0;
    const QDateTime limit = now.addDays(-static_cast<qint64>(lDaysToKeepRecording));
    int deleted = 0;
    // The listing matches "*.mp3", "*.aac", "*.ogg" and "*.opus" regardless of case; every
    // delete names one listed file exactly, so "?" and "*" in names are
    // plain characters.
    const QStringList names =
        dir.entryList({QStringLiteral("*.mp3"), QStringLiteral("*.aac"), QStringLiteral("*.ogg"), QStringLiteral("*.opus")},
                      QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QDate date;
        if (!ArchiveDateOf(name, date))
            continue;
        if (QDateTime(date, QTime(0, 0)) < limit && QFile::remove(dir.filePath(name)))
            ++deleted;
    }
    return deleted;
}
