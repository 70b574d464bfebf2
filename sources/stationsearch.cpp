#include "sources/stationsearch.h"

#include "config/usersettings.h"
#include "platform/filenames.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QUrlQuery>

#ifndef TONQUILL_VERSION
#define TONQUILL_VERSION "0"
#endif

const QString kDefaultDirectoryHost = QStringLiteral("http://www.shoutcast.com");
const QString kDefaultRadioBrowserHost = QStringLiteral("https://all.api.radio-browser.info");

namespace {

const QString kApp = QStringLiteral("Tonquill");
const QString kSection = QStringLiteral("Search");

QString hostSetting(const QString& key, const QString& fallback)
{
    QString host = GetSetting(kApp, kSection, key, QString()).trimmed();
    if (host.isEmpty())
        host = fallback;
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host;
}

QString stringField(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::number(v.toDouble());
    return QString();
}

int intField(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isDouble()) {
        const double d = v.toDouble();
        return (d >= 0 && d < 2147483647.0) ? int(d) : 0;
    }
    if (v.isString()) {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        return ok && n >= 0 ? n : 0;
    }
    return 0;
}

// UTF-8 wherever the bytes are UTF-8, each other byte as Windows-1252: a
// stray byte, or a character cut at the end of a cut page, spoils nothing
// around it.
QString decodeMixed(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar c = uchar(bytes.at(i));
        const int length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        const QByteArray piece = bytes.mid(i, qMax(length, 1));
        if (length > 0 && piece.size() == length && IsValidUtf8(piece)) {
            out += QString::fromUtf8(piece);
            i += length;
        } else {
            out += DecodeWindows1252(bytes.mid(i, 1));
            ++i;
        }
    }
    return out;
}

} // namespace

QString DirectoryHost()
{
    return hostSetting(QStringLiteral("DirectoryHost"), kDefaultDirectoryHost);
}

QString RadioBrowserHost()
{
    return hostSetting(QStringLiteral("RadioBrowserHost"), kDefaultRadioBrowserHost);
}

void SetDirectoryHost(const QString& host)
{
    SaveSetting(kApp, kSection, QStringLiteral("DirectoryHost"), host);
}

void SetRadioBrowserHost(const QString& host)
{
    SaveSetting(kApp, kSection, QStringLiteral("RadioBrowserHost"), host);
}

QByteArray SearchUserAgent()
{
    return QByteArrayLiteral("Tonquill/") + TONQUILL_VERSION;
}

const QStringList& DirectoryGenres()
{
    static const QStringList genres{
        "Alternative",     "College",         "- Industrial",   "- Punk",         "- Hardcore",
        "- Ska",           "Americana",       "- Blue",         "- Folk",         "- Cajun",
        "- Bluegrass",     "Classical",       "- Comtemporary", "- Opera",        "- Symphonic",
        "Country",         "- Weston Spring", "- New Country",  "Electronic",     "- Ambient",
        "- Drum and Bass", "- Trace",         "- Techno",       "- House",        "- Downtempo",
        "- Breakbit",      "- Acid Jazz",     "Hip-hop/Rap",    "- Hardcode",     "- Alternative",
        "- Turntablism",   "- Old School",    "- New School",   "Jazz",           "- Latin",
        "- Swing",         "- Big band",      "- Classic",      "- Smooth",       "- Acid Jazz",
        "Pop/Rock",        "- Oldies",        "- Classic",      "- 80s",          "- Top 40",
        "- Metal",         "- Rock",          "- Pop",          "R&B/Soul",       "- Contemporary",
        "- Classis",       "- Punk",          "- Smooth",       "- Urban",        "Spiritual",
        "- Pop",           "- Rock",          "- Alternative",  "- Gospel",       "- Country",
        "Spoken",          "- Talk",          "- Comedi",       "- Spoken World", "World",
        "- Regea/Island",  "- Africa",        "- Latin",        "- European",     "- Middle Eastern",
        "- Asian",         "Other/Mixed",     "- Eclectic",     "- Film/Show",    "- Instrumental"};
    return genres;
}

QString DirectoryGenreName(const QString& genre)
{
    return genre.startsWith(QLatin1String("- ")) ? genre.mid(2) : genre;
}

QString DirectorySearchPath(int searchType, const QString& keyword, const QString& genre, const QString& bitrate)
{
    switch (searchType) {
    case 0:
        return QStringLiteral("/directory/?s=") + keyword + QStringLiteral("&numresult=20&maxbitrate=") + bitrate +
               QStringLiteral("&startat=0");
    case 1:
        return QStringLiteral("/directory/?sgenre=") + DirectoryGenreName(genre) + QStringLiteral("&maxbitrate=") +
               bitrate + QStringLiteral("&startat=0");
    default:
        return QString();
    }
}

QUrl DirectorySearchUrl(const QString& host, const QString& path)
{
    // Tolerant mode keeps the typed text as it is; what cannot go on the
    // wire as typed (spaces, non-ASCII) is sent in its percent form.
    return QUrl(host + path, QUrl::TolerantMode);
}

QString PageHtml(const QByteArray& body, const QByteArray& contentType)
{
    QString text = DecodePage(body, contentType);
    // The view runs no scripts; their text is not part of the page either.
    static const QRegularExpression scripts(QStringLiteral("<script\\b.*?(</script\\s*>|$)"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    text.remove(scripts);
    return text;
}

QString DecodePage(const QByteArray& body, const QByteArray& contentType)
{
    static const QRegularExpression charsetRe(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9._:-]+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const auto decodeAs = [&body](const QString& charset, QString* text) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (!decoder.isValid())
            return false;
        *text = decoder.decode(body);
        return !decoder.hasError();
    };
    QString text;
    const auto named = charsetRe.match(QString::fromLatin1(contentType));
    if (named.hasMatch() && decodeAs(named.captured(1), &text))
        return text;
    // UTF-8 is told by its bytes.
    if (IsValidUtf8(body))
        return QString::fromUtf8(body);
    // Else the charset the page names in its head, else Windows-1252.
    const auto meta = charsetRe.match(QString::fromLatin1(body.left(4096)));
    if (meta.hasMatch() && decodeAs(meta.captured(1), &text))
        return text;
    return decodeMixed(body);
}

QUrl RadioBrowserSearchUrl(const QString& host, const RadioBrowserQuery& query)
{
    QUrl url(host + QStringLiteral("/json/stations/search"));
    QUrlQuery q;
    const auto add = [&q](const QString& key, const QString& value) {
        // Every reserved character is escaped, "+" and "&" among them.
        q.addQueryItem(key, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    };
    if (!query.name.trimmed().isEmpty())
        add(QStringLiteral("name"), query.name.trimmed());
    if (!query.tag.trimmed().isEmpty())
        add(QStringLiteral("tag"), query.tag.trimmed());
    if (!query.countryCode.trimmed().isEmpty())
        add(QStringLiteral("countrycode"), query.countryCode.trimmed().toUpper());
    if (!query.codec.trimmed().isEmpty())
        add(QStringLiteral("codec"), query.codec.trimmed());
    if (query.bitrateMin > 0)
        add(QStringLiteral("bitrateMin"), QString::number(query.bitrateMin));
    if (!query.order.isEmpty())
        add(QStringLiteral("order"), query.order);
    add(QStringLiteral("reverse"), query.reverse ? QStringLiteral("true") : QStringLiteral("false"));
    add(QStringLiteral("limit"), QString::number(qMax(1, query.limit)));
    add(QStringLiteral("hidebroken"), query.hideBroken ? QStringLiteral("true") : QStringLiteral("false"));
    url.setQuery(q.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

QUrl RadioBrowserClickUrl(const QString& host, const QString& uuid)
{
    return QUrl(host + QStringLiteral("/json/url/") + QString::fromLatin1(QUrl::toPercentEncoding(uuid)));
}

RadioBrowserAnswer ParseRadioBrowserStations(const QByteArray& json)
{
    RadioBrowserAnswer answer;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        answer.error = QCoreApplication::translate(
                           "StationSearch", "The directory's answer could not be read: it is not JSON (%1 at byte %2).")
                           .arg(error.errorString())
                           .arg(error.offset);
        return answer;
    }
    if (!doc.isArray()) {
        answer.error =
            QCoreApplication::translate("StationSearch", "The directory's answer is not a list of stations.");
        return answer;
    }
    const QJsonArray list = doc.array();
    answer.stations.reserve(list.size());
    for (const QJsonValue& v : list) {
        if (!v.isObject()) {
            ++answer.skipped;
            continue;
        }
        const QJsonObject o = v.toObject();
        RadioStation s;
        s.url = stringField(o, "url_resolved").trimmed();
        if (!IsStreamAddress(s.url))
            s.url = stringField(o, "url").trimmed();
        if (!IsStreamAddress(s.url)) {
            ++answer.skipped;
            continue;
        }
        s.uuid = StationId(stringField(o, "stationuuid"));
        s.name = StationFieldText(stringField(o, "name"));
        if (s.name.isEmpty())
            s.name = s.url;
        s.codec = StationFieldText(stringField(o, "codec"));
        s.countryCode = StationFieldText(stringField(o, "countrycode"));
        s.tags = StationFieldText(stringField(o, "tags"));
        s.favicon = stringField(o, "favicon").trimmed();
        if (!IsStreamAddress(s.favicon))
            s.favicon.clear();
        s.bitrate = intField(o, "bitrate");
        s.votes = intField(o, "votes");
        answer.stations.append(s);
    }
    answer.ok = true;
    return answer;
}

QString StationPlaylistName(const RadioStation& station, qsizetype maxBytes)
{
    QString base = LeftAtCharacterBoundary(CleanFileName(StationFieldText(station.name)).trimmed(), 100).trimmed();
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        base = QStringLiteral("_");
    return FitFileName(base + QStringLiteral(".pls"), maxBytes);
}

QString StationsFolder()
{
    return ProgramFolders::DataFolder() + QStringLiteral("Stations/");
}

QString WriteStationPlaylist(const QString& folder, const RadioStation& station, QString* error)
{
    const QByteArray text = StationPlaylistText(station);
    if (text.isEmpty()) {
        if (error)
            *error =
                QCoreApplication::translate("StationSearch", "The station has no stream address that can be recorded.");
        return QString();
    }
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QCoreApplication::translate("StationSearch", "The folder %1 could not be created.").arg(folder);
        return QString();
    }
    const QString name = StationPlaylistName(station, FileNameLimit(folder));
    QString path = JoinPath(folder, name);
    // A file of another station with the same name is kept.
    const QString id = StationId(station.uuid);
    for (int n = 2; PathExists(path) && (id.isEmpty() || StationUuidOfPlaylist(path) != id); ++n) {
        if (n > 999) {
            if (error)
                *error =
                    QCoreApplication::translate("StationSearch", "No free file name for %1 in %2.").arg(name, folder);
            return QString();
        }
        path = JoinPath(folder, name.chopped(4) + QStringLiteral(" (%1).pls").arg(n));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0 || !file.commit()) {
        if (error)
            *error = QCoreApplication::translate("StationSearch", "The playlist %1 could not be written: %2")
                         .arg(path, file.errorString());
        return QString();
    }
    return path;
}

QString StationUuidOfPlaylist(const QString& path)
{
    // Only a small regular file can be one of ours: a FIFO put in its place
    // must not hold the window.
    const FileRead read = ReadRegularFile(path, 64 * 1024);
    return read.ok() ? StationIdOfPlaylistText(QString::fromUtf8(read.bytes)) : QString();
}
