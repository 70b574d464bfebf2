#include "sources/live365pages.h"

#include "config/settings.h"
#include "sources/curi.h"

#include <QUrl>

#include <cmath>
#include <limits>

namespace {

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

const QByteArray kEndLower("</html>");
const QByteArray kEndUpper("</HTML>");

// Bytes that may stand in a request line as they are.
bool isPlainRequestByte(unsigned char c)
{
    return c > 0x20 && c < 0x7F;
}

QByteArray encodeRequestText(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (isPlainRequestByte(c)) {
            out.append(ch);
        } else {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 0x0F]);
        }
    }
    return out;
}

}  // namespace

QString ExtractFromString(const QString& inS, const QString& lStartPattern, const QString& lEndPattern, int StartPos)
{
    const qsizetype from = StartPos < 1 ? 0 : StartPos - 1;
    if (from > inS.size())
        return QString();
    const qsizetype start = inS.indexOf(lStartPattern, from);
    if (start < 0)
        return QString();
    const qsizetype after = start + lStartPattern.size();
    const qsizetype end = lEndPattern.isEmpty() ? -1 : inS.indexOf(lEndPattern, after);
    if (end > after)
        return trimSpaces(inS.mid(after, end - after));
    return trimSpaces(inS.mid(after));
}

bool PageIsComplete(const QByteArray& page)
{
    return page.contains(kEndLower) || page.contains(kEndUpper);
}

bool PageCompletedBy(const QByteArray& page, qsizetype appended)
{
    // The end marker may straddle the previous chunk and the new one.
    const qsizetype from = qMax<qsizetype>(0, page.size() - appended - (kEndLower.size() - 1));
    return page.indexOf(kEndLower, from) >= 0 || page.indexOf(kEndUpper, from) >= 0;
}

bool ParseBroadcastName(const QString& page, QString& name)
{
    static const QString marker = QStringLiteral("LaunchBroadcast('");
    const qsizetype start = page.indexOf(marker);
    if (start < 0)
        return false;
    const qsizetype after = start + marker.size();
    const qsizetype end = page.indexOf(QLatin1Char('\''), after);
    if (end <= after)
        return false;
    name = page.mid(after, end - after);
    return true;
}

bool ParseNowPlayingPrefix(const QString& page, bool aflMode, QString& prefix)
{
    static const QString marker = QStringLiteral("\"Live365PlayerPlaylist\"");
    static const QString frame = QStringLiteral("<frame src=\"");
    const qsizetype markerAt = page.indexOf(marker);
    if (markerAt < 0)
        return false;
    // The frame tag must start before the marker does.
    const qsizetype frameAt = markerAt == 0 ? -1 : page.lastIndexOf(frame, markerAt - 1);
    if (frameAt < 0)
        return false;
    const qsizetype after = frameAt + frame.size();
    const qsizetype quote = page.indexOf(QLatin1Char('"'), after);
    QString found = quote < 0 ? page.mid(after) : page.mid(after, quote - after);
    if (found.isEmpty())
        return false;
    if (aflMode && page.contains(QStringLiteral("\"OR\";")))
        found.replace(QStringLiteral("handle="), QStringLiteral("handle=afl%3A"));
    prefix = found;
    return true;
}

qint32 ParseSecondsLeft(const QString& page)
{
    const QString s = ExtractFromString(page, QStringLiteral("gSecondsLeft"), QStringLiteral(";"), 1);
    const qsizetype space = s.indexOf(QLatin1Char(' '));
    if (space < 0)
        return 0;
    QString number = s.mid(space + 1);
    const qsizetype semicolon = number.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        number.truncate(semicolon);
    number = number.trimmed();
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    const double rounded = std::round(value);
    if (rounded > std::numeric_limits<qint32>::max() || rounded < std::numeric_limits<qint32>::min())
        return 0;
    return static_cast<qint32>(rounded);
}

NowPlaying ParseNowPlaying(const QString& page)
{
    NowPlaying now;
    now.strArtist = ExtractFromString(page, QStringLiteral("artist:\""), QStringLiteral("\","), 1);
    now.strTitle = ExtractFromString(page, QStringLiteral("title:\""), QStringLiteral("\","), 1);
    now.secondsLeft = ParseSecondsLeft(page);
    return now;
}

QString Live365Host()
{
    const QString fromEnvironment = qEnvironmentVariable("TONQUILL_LIVE365_HOST").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString fromIni =
        ReadINIValue(QStringLiteral("Advanced"), QStringLiteral("Live365Host"), TavrixIniPath()).trimmed();
    if (!fromIni.isEmpty())
        return fromIni;
    return QString::fromLatin1(kLive365DefaultHost);
}

void SplitHostAndPort(const QString& hostSetting, QString& host, int& port, bool* secure)
{
    QString setting = hostSetting.trimmed();
    bool tls = false;
    if (setting.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        tls = true;
        setting = setting.mid(8);
    } else if (setting.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        setting = setting.mid(7);
    }
    while (setting.endsWith(QLatin1Char('/')))
        setting.chop(1);
    if (secure)
        *secure = tls;
    port = tls ? 443 : 80;
    const qsizetype colon = setting.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        host = setting;
        return;
    }
    host = setting.left(colon);
    bool ok = false;
    const int value = setting.mid(colon + 1).toInt(&ok);
    if (ok && value > 0 && value <= 65535)
        port = value;
}

PageAddress ResolvePageAddress(const QString& address, const QString& serviceHost)
{
    PageAddress result;
    QString text = address.trimmed();
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype schemeEnd = text.indexOf(QStringLiteral("://"));
    const qsizetype firstSlash = text.indexOf(QLatin1Char('/'));
    if (schemeEnd > 0 && schemeEnd < firstSlash) {
        // An address the page gives in full.
        CUri uri;
        if (!uri.setUri(text)) {
            result.host.clear();
            result.port = 0;
            return result;
        }
        result.host = uri.Host();
        result.secure = uri.Protocol().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        result.port = uri.Port() > 0 ? uri.Port() : (result.secure ? 443 : 80);
        result.resource = uri.Resource().isEmpty() ? QStringLiteral("/") : uri.Resource();
        result.queryString = uri.QueryString();
        return result;
    }
    // A path on the Live365 web server. The host setting may carry any port,
    // so it is split here rather than parsed as an address.
    SplitHostAndPort(serviceHost, result.host, result.port, &result.secure);
    const QString path = text.startsWith(QLatin1Char('/')) ? text : QStringLiteral("/cgi-bin/") + text;
    const qsizetype question = path.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        result.resource = path.left(question);
        result.queryString = path.mid(question + 1);
    } else {
        result.resource = path;
    }
    if (result.resource.isEmpty())
        result.resource = QStringLiteral("/");
    return result;
}

QByteArray BuildPageRequest(const PageAddress& address)
{
    QByteArray request("GET ");
    request += encodeRequestText(address.resource);
    if (!address.queryString.isEmpty()) {
        request += '?';
        request += encodeRequestText(address.queryString);
    }
    request += " HTTP/1.1\r\nHost: ";
    request += encodeRequestText(address.host);
    request += "\r\n\r\n";
    return request;
}

QString EncodeRequestValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}
