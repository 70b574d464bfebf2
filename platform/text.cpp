#include "platform/text.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
}  // namespace

bool IsValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c <= 0x9F)
            out.append(QChar(kCp1252High[c - 0x80]));
        else
            out.append(QChar(c));
    }
    return out;
}

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Where the line that starts at `from` ends: its first CR or LF, or the end.
qsizetype lineEndFrom(QByteArrayView bytes, qsizetype from)
{
    while (from < bytes.size() && !isLineEnd(bytes[from]))
        ++from;
    return from;
}

// Valid UTF-8 as it is: a byte order mark at the start is a character of
// the line like any other (QString::fromUtf8 would drop it).
QString fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeLine(QByteArrayView line)
{
    return IsValidUtf8(line) ? fromUtf8(line) : DecodeWindows1252(line);
}

// The line decoded and cut so that its UTF-8 form holds at most `max`
// bytes, never inside a character: a line written back in UTF-8 then reads
// back whole. `cut` tells whether anything was left out.
QString decodeCutLine(QByteArrayView line, qsizetype max, bool& cut)
{
    cut = false;
    if (IsValidUtf8(line)) {
        if (line.size() <= max)
            return fromUtf8(line);
        cut = true;
        qsizetype end = max;
        while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        return fromUtf8(line.first(end));
    }
    // One byte per character, each one to three bytes in UTF-8.
    cut = line.size() > max;
    QString text = DecodeWindows1252(line.first(std::min(line.size(), max)));
    qsizetype size = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        size += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (size > max) {
            text.truncate(i);
            cut = true;
            break;
        }
    }
    return text;
}

QString sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QCoreApplication::translate("TextFile", "%1 MiB").arg(bytes / (1024 * 1024));
    if (bytes % 1024 == 0)
        return QCoreApplication::translate("TextFile", "%1 KiB").arg(bytes / 1024);
    return QCoreApplication::translate("TextFile", "%1 bytes").arg(bytes);
}

QString systemError(int error)
{
    return QCoreApplication::translate("TextFile", "could not be read (%1)")
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

QString DecodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (IsValidUtf8(bytes))
        return fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        qsizetype end = lineEndFrom(bytes, i);
        out += decodeLine(bytes.sliced(i, end - i));
        for (; end < n && isLineEnd(bytes[end]); ++end)
            out += QLatin1Char(bytes[end]);
        i = end;
    }
    return out;
}

QStringList DecodeLines(QByteArrayView bytes, qsizetype maxLineBytes, qsizetype* shortened)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringList lines;
    qsizetype cut = 0;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        qsizetype end = lineEndFrom(bytes, i);
        const QByteArrayView line = bytes.sliced(i, end - i);
        bool lineCut = false;
        lines.append(maxLineBytes > 0 ? decodeCutLine(line, maxLineBytes, lineCut) : decodeLine(line));
        cut += lineCut ? 1 : 0;
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n')
            ++end;
        i = end + 1;
    }
    if (shortened)
        *shortened = cut;
    return lines;
}

FileRead ReadRegularFile(const QString& path, qint64 maxBytes)
{
    FileRead result;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    const int fd = name.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = name.isEmpty() ? ENOENT : errno;
        result.status = error == ENOENT ? FileRead::Missing : FileRead::Unreadable;
        result.problem =
            error == ENOENT ? QCoreApplication::translate("TextFile", "does not exist") : systemError(error);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.status = FileRead::Unreadable;
        result.problem = systemError(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.status = FileRead::NotRegular;
        result.problem = S_ISDIR(st.st_mode) ? QCoreApplication::translate("TextFile", "is a folder")
                                             : QCoreApplication::translate("TextFile", "is not a regular file");
    } else if (st.st_size > maxBytes) {
        result.status = FileRead::TooLarge;
    } else {
        // The file may grow while it is read: never more than the bound.
        result.bytes.reserve(qsizetype(st.st_size));
        char chunk[65536];
        result.status = FileRead::Read;
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                result.status = FileRead::Unreadable;
                result.problem = systemError(errno);
                break;
            }
            if (got == 0)
                break;
            if (result.bytes.size() + got > maxBytes) {
                result.status = FileRead::TooLarge;
                break;
            }
            result.bytes.append(chunk, got);
        }
    }
    ::close(fd);
    if (result.status == FileRead::TooLarge)
        result.problem = QCoreApplication::translate("TextFile", "is larger than %1").arg(sizeText(maxBytes));
    if (!result.ok())
        result.bytes.clear();
    return result;
}

QByteArray EncodeLatin1Lossy(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append('?');
            ++i;
        } else if (c.unicode() <= 0xFF) {
            out.append(static_cast<char>(c.unicode()));
        } else {
            out.append('?');
        }
    }
    return out;
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            lines.append(current);
            current.clear();
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        lines.append(current);
    return lines;
}

bool ReadTextFile(const QString& path, QString& text, qint64 maxBytes)
{
    const FileRead file = ReadRegularFile(path, maxBytes);
    if (!file.ok())
        return false;
    text = DecodeText(file.bytes);
    return true;
}

bool WriteTextLines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    const bool ok = f.write(out) == out.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

QString DecodeCharacterReferences(const QString& text)
{
    if (!text.contains(QLatin1String("&#")))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text.at(i) == QLatin1Char('&') && i + 2 < n && text.at(i + 1) == QLatin1Char('#')) {
            qsizetype j = i + 2;
            const bool hex = text.at(j) == QLatin1Char('x') || text.at(j) == QLatin1Char('X');
            if (hex)
                ++j;
            const qsizetype digitsStart = j;
            char32_t value = 0;
            bool tooBig = false;
            while (j < n && j - digitsStart < 10) {
                int digit = -1;
                const char16_t c = text.at(j).unicode();
                if (c >= u'0' && c <= u'9')
                    digit = c - u'0';
                else if (hex && c >= u'a' && c <= u'f')
                    digit = c - u'a' + 10;
                else if (hex && c >= u'A' && c <= u'F')
                    digit = c - u'A' + 10;
                if (digit < 0)
                    break;
                value = value * (hex ? 16 : 10) + char32_t(digit);
                if (value > 0x10FFFF)
                    tooBig = true;
                ++j;
            }
            const bool valid = j > digitsStart && j < n && text.at(j) == QLatin1Char(';') && !tooBig && value != 0 &&
                               !(value >= 0xD800 && value <= 0xDFFF);
            if (valid) {
                out.append(QString::fromUcs4(&value, 1));
                i = j + 1;
                continue;
            }
        }
        out.append(text.at(i));
        ++i;
    }
    return out;
}
