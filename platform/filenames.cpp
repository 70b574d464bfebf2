#include "platform/filenames.h"

#include <QFile>
#include <QTextBoundaryFinder>

#include <algorithm>

#include <unistd.h>

namespace {
constexpr qsizetype kDefaultNameMax = 255;
constexpr qsizetype kMaxExtensionChars = 8;

std::function<long(const QString&)>& limitSource()
{
    static std::function<long(const QString&)> source;
    return source;
}

qsizetype encodedSize(QStringView text)
{
    return QFile::encodeName(text.toString()).size();
}

// Where the extension begins ("." included); the size of `name` when it has none.
qsizetype extensionStart(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || name.size() - dot - 1 > kMaxExtensionChars || dot == name.size() - 1)
        return name.size();
    for (qsizetype i = dot + 1; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return name.size();
    }
    return dot;
}

// The start of `text` that takes at most `maxBytes`, cut at a character boundary.
QString leftWithinBytes(const QString& text, qsizetype maxBytes)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    qsizetype bytes = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        bytes += encodedSize(QStringView(text).mid(end, next - end));
        if (bytes > maxBytes)
            break;
        end = next;
    }
    return text.left(end);
}
}  // namespace

qsizetype FileNameLimit(const QString& folder)
{
    long limit = -1;
    if (limitSource())
        limit = limitSource()(folder);
    else
        limit = ::pathconf(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                           _PC_NAME_MAX);
    return limit > 0 ? qsizetype(limit) : kDefaultNameMax;
}

void SetFileNameLimitSource(std::function<long(const QString& folder)> source)
{
    limitSource() = std::move(source);
}

QString RemoveInvisibleMarks(const QString& name)
{
    QString out = name;
    out.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
               (u >= 0x2066 && u <= 0x2069) ||                            // bidirectional controls
               (u >= 0x200B && u <= 0x200D) || u == 0x2060 || u == 0xFEFF; // zero width, byte order mark
    });
    return out;
}

QString FileNameText(const QString& text)
{
    QString out = text;
    for (const char16_t c : {u'|', u'>', u'<', u'"', u'?', u'*', u':', u'/', u'\\'})
        out.remove(QChar(c));
    // A Linux file name cannot hold NUL, and other control characters (C0,
    // DEL, C1 with its NEL and CSI) and the line separators break listings
    // and terminals.
    out.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
    });
    // Marks no one sees would disguise the name (an override that shows
    // "3pm.exe" as "exe.mp3").
    out = RemoveInvisibleMarks(out);
    // A leading dot hides the file ("..." and "../../x" too); "." and ".."
    // would name the folder itself or its parent.
    qsizetype start = 0;
    while (start < out.size() && (out.at(start) == QLatin1Char('.') || out.at(start).isSpace()))
        ++start;
    return out.mid(start);
}

QString CleanFileName(const QString& text)
{
    const QString out = FileNameText(text);
    return out.isEmpty() ? QStringLiteral("_") : out;
}

QString LeftAtCharacterBoundary(const QString& text, qsizetype maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(maxUnits);
    const qsizetype end = finder.isAtBoundary() ? maxUnits : finder.toPreviousBoundary();
    return text.left(std::max<qsizetype>(0, end));
}

QString FitFileName(const QString& name, qsizetype maxBytes, qsizetype reserveBytes)
{
    const qsizetype room = maxBytes - reserveBytes;
    if (encodedSize(name) <= room)
        return name;
    qsizetype split = extensionStart(name);
    qsizetype extensionBytes = encodedSize(QStringView(name).mid(split));
    if (extensionBytes >= room) {  // no room for the extension: the whole name is cut
        split = name.size();
        extensionBytes = 0;
    }
    QString stem = leftWithinBytes(name.left(split), room - extensionBytes);
    while (!stem.isEmpty() && (stem.back() == QLatin1Char(' ') || stem.back() == QLatin1Char('.')))
        stem.chop(1);
    if (stem.isEmpty()) {
        // Not one character fits: the first one, and creating the file will say so.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
        stem = name.left(std::max<qsizetype>(1, finder.toNextBoundary()));
    }
    return stem + name.mid(split);
}
