#include "sources/stationplaylist.h"

#include "sources/uriplaylist.h"

#include <QStringList>
#include <QUrl>

namespace {

const QString kIdKey = QStringLiteral("StationUUID=");
const QString kLogoKey = QStringLiteral("StationLogo=");

bool breaksLine(QChar ch)
{
    const QChar::Category c = ch.category();
    return c == QChar::Other_Control || c == QChar::Separator_Line || c == QChar::Separator_Paragraph ||
           c == QChar::Other_Surrogate; // a lone half of a pair
}

bool holdsPlaylistKey(const QString& text)
{
    return text.contains(QLatin1String("File")) || text.contains(QLatin1String("Title"));
}

} // namespace

QString StationFieldText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += ch;
            out += text.at(++i);
        } else {
            out += breaksLine(ch) ? QLatin1Char(' ') : ch;
        }
    }
    return out.simplified();
}

QString StationId(const QString& uuid)
{
    const QString id = uuid.trimmed();
    if (id.isEmpty() || id.size() > 64 || holdsPlaylistKey(id))
        return QString();
    for (const QChar ch : id) {
        const char16_t u = ch.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' ||
                        u == '_' || u == '.';
        if (!ok)
            return QString();
    }
    return id;
}

bool IsStreamAddress(const QString& url)
{
    for (const QChar ch : url) {
        if (ch.unicode() <= 0x20 || ch.unicode() == 0x7f || breaksLine(ch) || ch.isSpace())
            return false;
    }
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !parsed.host().isEmpty();
}

QString StationPlaylistTitle(const RadioStation& station)
{
    QString title = StationFieldText(station.name);
    title.replace(QLatin1Char('='), QLatin1Char('-'));
    return title;
}

QString StationPlaylistAddress(const RadioStation& station)
{
    if (!IsStreamAddress(station.url))
        return QString();
    QString url = station.url;
    const qsizetype authority = url.indexOf(QLatin1String("://")) + 3;
    qsizetype pathAt = authority;
    while (pathAt < url.size() && url.at(pathAt) != QLatin1Char('/') && url.at(pathAt) != QLatin1Char('?') &&
           url.at(pathAt) != QLatin1Char('#'))
        ++pathAt;
    // Host names are the same in any case; user names and passwords are not,
    // and stay as they are.
    const QString hostPart = url.mid(authority, pathAt - authority);
    if (hostPart.contains(QLatin1String("File")) && !hostPart.contains(QLatin1Char('@')))
        url.replace(authority, hostPart.size(), hostPart.toLower());
    // An unreserved character and its percent form are the same address.
    const QString rest = url.mid(pathAt).replace(QLatin1String("File"), QLatin1String("%46ile"));
    return url.left(pathAt) + rest;
}

QByteArray StationPlaylistText(const RadioStation& station)
{
    const QString address = StationPlaylistAddress(station);
    if (address.isEmpty())
        return QByteArray();
    const QString id = StationId(station.uuid);
    const QString title = StationPlaylistTitle(station);
    // The picture's address is written as the stream's is.
    RadioStation logoOnly;
    logoOnly.url = station.favicon.trimmed();
    const QString logo = StationPlaylistAddress(logoOnly);
    const QString name = QStringLiteral("station.pls");
    const PlaylistResult alone = ParsePlaylist(QStringLiteral("File1=") + address + QStringLiteral("\r\n"), name);
    // With the picture first, then, if it confused the reader, without it.
    for (const QString& picture : {logo, QString()}) {
        QStringList lines{QStringLiteral("[playlist]"), QStringLiteral("NumberOfEntries=1"),
                          QStringLiteral("Version=2")};
        if (!id.isEmpty())
            lines << kIdKey + id;
        if (!picture.isEmpty())
            lines << kLogoKey + picture;
        lines << QStringLiteral("Length1=-1") << QStringLiteral("Title1=") + title
              << QStringLiteral("File1=") + address;
        const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");

        // Whatever the fields hold, the reader must find exactly what was meant.
        const PlaylistResult read = ParsePlaylist(text, name);
        if (alone.Error == plsOK && alone.Entries.size() == 1 && read.Error == plsOK && read.Entries == alone.Entries &&
            read.HasTitle && read.FirstTitle == title && StationIdOfPlaylistText(text) == id &&
            StationLogoOfPlaylistText(text) == picture)
            return text.toUtf8();
    }
    return QByteArray();
}

QString StationLogoOfPlaylistText(const QString& text)
{
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.startsWith(kLogoKey)) {
            const QString address = line.mid(kLogoKey.size()).trimmed().toString();
            return IsStreamAddress(address) ? address : QString();
        }
    }
    return QString();
}

QString StationIdOfPlaylistText(const QString& text)
{
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.startsWith(kIdKey))
            return StationId(line.mid(kIdKey.size()).toString());
    }
    return QString();
}
