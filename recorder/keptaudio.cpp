#include "recorder/keptaudio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads this small are served from the window of the oldest bytes: the
// oldest frame's header is read once for every frame kept.
constexpr qsizetype kSmallRead = 64;
// Once this much of the file lies before what is kept, what is kept moves
// to the file's start: rarely where the dropped front is given back as it
// goes, soon where the file system cannot do that.
constexpr qint64 kRewindBytes = qint64(32) << 20;
constexpr qint64 kCompactBytes = qint64(1) << 20;

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file with no name in `folder`; where the file system refuses such a
// file, a named one taken away again at once.
int openNameless(const QString& folder, int* error)
{
    QDir().mkpath(folder);
    const QByteArray dir = QFile::encodeName(folder);
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    QByteArray name = dir + "/.tonquill-kept-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    ::unlink(name.constData());
    return fd;
}

bool readAll(int fd, char* to, qsizetype size, qint64 offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, to, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // shorter than written
            return false;
        }
        to += n;
        size -= n;
        offset += n;
    }
    return true;
}

} // namespace

KeptAudio::~KeptAudio()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void KeptAudio::Say(const QString& text) const
{
    if (notice)
        notice(text);
    else
        qWarning("%s", qUtf8Printable(text));
}

bool KeptAudio::ToDisk(const QString& folder, QString* problem)
{
    if (OnDisk())
        return true;
    int error = 0;
    const int fd = openNameless(folder, &error);
    QByteArray kept;
    CopyTo(kept, 0, m_size);
    const int was = m_fd;
    m_fd = fd;
    if (fd < 0 || !writeAt(0, kept.constData(), kept.size())) {
        error = fd < 0 ? error : errno;
        if (fd >= 0)
            ::close(fd);
        m_fd = was;
        *problem = QCoreApplication::translate("LastMinutes", "no file can be made in %1 (%2)")
                       .arg(QDir::toNativeSeparators(folder), errorText(error));
        return false;
    }
    m_blocks.clear();
    m_head = 0;
    m_fileHead = 0;
    m_fileEnd = kept.size();
    m_freed = 0;
    m_canPunch = true;
    m_readProblem.clear();
    return true;
}

QString KeptAudio::CacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("tonquill"));
}

qint64 KeptAudio::DiskBytes() const
{
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? qint64(st.st_blocks) * 512 : 0;
}

bool KeptAudio::Append(const char* data, qsizetype size)
{
    bool kept = true;
    if (OnDisk() && !m_readProblem.isEmpty())
        kept = toMemory(m_readProblem);
    if (OnDisk()) {
        bool written = m_tail.size() + size <= kWriteBytes || flush();
        if (written && size < kWriteBytes) {
            if (m_tail.capacity() < kWriteBytes)
                m_tail.reserve(kWriteBytes);
            m_tail.append(data, size);
            m_size += size;
            return kept;
        }
        if (written && writeAt(m_fileEnd, data, size)) {
            m_fileEnd += size;
            m_size += size;
            return kept;
        }
        kept = toMemory(errorText(errno));
    }
    appendToMemory(data, size);
    return kept;
}

void KeptAudio::appendToMemory(const char* data, qsizetype size)
{
    while (size > 0) {
        if (m_blocks.empty() || m_blocks.back().size() == kBlockBytes) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(kBlockBytes);
        }
        QByteArray& block = m_blocks.back();
        const qsizetype take = std::min(size, kBlockBytes - block.size());
        block.append(data, take);
        data += take;
        size -= take;
        m_size += take;
    }
}

bool KeptAudio::writeAt(qint64 offset, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool KeptAudio::flush()
{
    if (m_tail.isEmpty())
        return true;
    if (!writeAt(m_fileEnd, m_tail.constData(), m_tail.size()))
        return false;
    m_fileEnd += m_tail.size();
    m_tail.resize(0); // its room stays for the next bytes
    return true;
}

void KeptAudio::DropFront(qsizetype size)
{
    size = std::min(size, m_size);
    m_size -= size;
    if (OnDisk()) {
        m_fileHead += size;
        reclaim();
        return;
    }
    m_head += size;
    while (!m_blocks.empty() && m_head >= m_blocks.front().size() && (m_blocks.size() > 1 || m_size == 0)) {
        m_head -= m_blocks.front().size();
        m_blocks.pop_front();
    }
    if (m_blocks.empty())
        m_head = 0;
}

void KeptAudio::DropBack(qsizetype size)
{
    size = std::min(size, m_size);
    m_size -= size;
    if (OnDisk()) {
        const qsizetype fromTail = std::min(size, m_tail.size());
        m_tail.chop(fromTail);
        m_fileEnd -= size - fromTail;
        // What is written from there on must not be read from the window.
        if (m_frontAt + m_front.size() > m_fileEnd)
            m_front.resize(0);
        return;
    }
    while (size > 0) {
        QByteArray& block = m_blocks.back();
        const qsizetype from = m_blocks.size() == 1 ? m_head : 0;
        const qsizetype take = std::min(size, block.size() - from);
        block.chop(take);
        size -= take;
        if (block.size() == from) {
            m_blocks.pop_back();
            if (m_blocks.empty())
                m_head = 0;
        }
    }
}

// The file's front that nothing kept is in any more goes back to the file
// system, or what is kept moves to the file's start.
void KeptAudio::reclaim()
{
    const qint64 dead = std::min(m_fileHead, m_fileEnd);
    const qint64 edge = dead / kHoleBytes * kHoleBytes;
    if (m_canPunch && edge - m_freed >= kHoleBytes) {
        if (::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, m_freed, edge - m_freed) == 0)
            m_freed = edge;
        else
            m_canPunch = false;
    }
    if (dead >= std::max(m_fileEnd - dead, m_canPunch ? kRewindBytes : kCompactBytes))
        compact();
}

void KeptAudio::compact()
{
    // What is kept is no longer than what lies before it: the copy does not
    // overlap what it copies.
    const qint64 dead = std::min(m_fileHead, m_fileEnd);
    const qint64 live = m_fileEnd - dead;
    QByteArray piece;
    for (qint64 done = 0; done < live; done += piece.size()) {
        piece.resize(qsizetype(std::min(kHoleBytes, live - done)));
        if (!readAll(m_fd, piece.data(), piece.size(), dead + done) || !writeAt(done, piece.constData(), piece.size())) {
            toMemory(errorText(errno));
            return;
        }
    }
    // Failing, the file keeps its length; what lies beyond is written over.
    (void)::ftruncate(m_fd, off_t(live));
    m_fileHead -= dead;
    m_fileEnd = live;
    m_freed = 0;
    m_front.resize(0);
    m_frontAt = 0;
}

void KeptAudio::Clear()
{
    m_size = 0;
    m_blocks.clear();
    m_head = 0;
    if (!OnDisk())
        return;
    m_tail.resize(0);
    (void)::ftruncate(m_fd, 0);
    m_fileHead = 0;
    m_fileEnd = 0;
    m_freed = 0;
    m_front.resize(0);
    m_frontAt = 0;
}

bool KeptAudio::readFile(QByteArray& out, qint64 offset, qsizetype size) const
{
    if (size <= kSmallRead) {
        if (offset < m_frontAt || offset + size > m_frontAt + m_front.size()) {
            m_front.resize(qsizetype(std::min<qint64>(kReadBytes, m_fileEnd - offset)));
            m_frontAt = offset;
            if (!readAll(m_fd, m_front.data(), m_front.size(), offset)) {
                m_front.resize(0);
                m_readProblem = errorText(errno);
                return false;
            }
        }
        out.append(m_front.constData() + (offset - m_frontAt), size);
        return true;
    }
    const qsizetype was = out.size();
    out.resize(was + size);
    if (readAll(m_fd, out.data() + was, size, offset))
        return true;
    m_readProblem = errorText(errno);
    out.resize(was);
    return false;
}

void KeptAudio::CopyTo(QByteArray& out, qsizetype at, qsizetype size) const
{
    size = std::min(size, m_size - at);
    if (size <= 0)
        return;
    if (OnDisk()) {
        qint64 pos = m_fileHead + at;
        if (pos < m_fileEnd) {
            const qsizetype inFile = qsizetype(std::min<qint64>(size, m_fileEnd - pos));
            if (!readFile(out, pos, inFile))
                return;
            pos += inFile;
            size -= inFile;
        }
        if (size > 0)
            out.append(m_tail.constData() + (pos - m_fileEnd), size);
        return;
    }
    qsizetype pos = m_head + at;
    for (const QByteArray& block : m_blocks) {
        if (size <= 0)
            break;
        if (pos >= block.size()) {
            pos -= block.size();
            continue;
        }
        const qsizetype take = std::min(size, block.size() - pos);
        out.append(block.constData() + pos, take);
        size -= take;
        pos = 0;
    }
}

// The file failed: what it holds is read back, and the bytes are kept in
// memory from now on.
bool KeptAudio::toMemory(const QString& why)
{
    const qint64 from = m_fileHead;
    const qint64 end = m_fileEnd;
    const qsizetype size = m_size;
    m_size = 0;
    bool read = true;
    QByteArray piece;
    for (qint64 at = from; read && at < end; at += piece.size()) {
        piece.clear();
        read = readFile(piece, at, qsizetype(std::min<qint64>(kBlockBytes, end - at)));
        appendToMemory(piece.constData(), piece.size());
    }
    const qsizetype inTail = size - m_size;
    if (read && inTail > 0)
        appendToMemory(m_tail.constData() + (m_tail.size() - inTail), inTail);
    ::close(m_fd);
    m_fd = -1;
    m_tail = QByteArray();
    m_front = QByteArray();
    m_fileHead = m_fileEnd = m_freed = m_frontAt = 0;
    m_readProblem.clear();
    if (read) {
        Say(QCoreApplication::translate("LastMinutes",
                                        "The file of the last minutes failed (%1): they are kept in memory from now on.")
                .arg(why));
        return true;
    }
    m_blocks.clear();
    m_head = 0;
    m_size = 0;
    Say(QCoreApplication::translate("LastMinutes",
                                    "The file of the last minutes failed (%1): what was kept of them is lost; they "
                                    "are kept in memory from now on.")
            .arg(why));
    return false;
}
