#include "recorder/serverlist.h"

#include <QRegularExpression>
#include <QUrl>

#include <cctype>

namespace {
// A value from a playlist or a redirect ends at its first line break, so it
// can never add lines to the request.
QString oneLine(const QString& text)
{
    const qsizetype cut = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return cut < 0 ? text : text.left(cut);
}

// A path or query as it may stand in a request line: characters a request
// target cannot hold (spaces, controls, quotes, text outside ASCII) are
// percent-encoded from UTF-8; escapes already there stay as they are.
QString requestTarget(const QString& text)
{
    static const QByteArray allowed = "-._~!$&'()*+,;=:@/?";
    const QByteArray bytes = text.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const bool escape = c == '%' && i + 2 < bytes.size() && isxdigit(static_cast<unsigned char>(bytes.at(i + 1))) &&
                            isxdigit(static_cast<unsigned char>(bytes.at(i + 2)));
        if (isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80)
            out += c;
        else if (escape || allowed.contains(c))
            out += c;
        else
            out += '%' + QByteArray::number(static_cast<unsigned char>(c), 16).toUpper().rightJustified(2, '0');
    }
    return QString::fromLatin1(out);
}
}  // namespace

QString AsciiHostName(const QString& host)
{
    const QByteArray ace = QUrl::toAce(host);
    return ace.isEmpty() ? host : QString::fromLatin1(ace);
}

QByteArray BuildStreamRequest(const ServerEntry& entry, bool metadata, bool ieAgent)
{
    QString request = QStringLiteral("GET [PATH] HTTP/1.1\r\n"
                                     "Host: [STREAM]:[PORT]\r\n"
                                     "User-Agent: WinampMPEG/2.8\r\n"
                                     "Accept: */*\r\n");
    request += metadata ? QStringLiteral("Icy-MetaData:1\r\n") : QStringLiteral("Icy-MetaData:0\r\n");
    request += QStringLiteral("Connection: close\r\n\r\n");

    QString path = requestTarget(oneLine(entry.Path));
    const QString query = requestTarget(oneLine(entry.QueryString));
    if (!query.isEmpty())
        path += QLatin1Char('?') + query;
    request.replace(QLatin1String("[PATH]"), path);
    request.replace(QLatin1String("[STREAM]"), AsciiHostName(oneLine(entry.Host)));
    request.replace(QLatin1String("[PORT]"), oneLine(entry.Port));
    if (ieAgent)
        request.replace(QLatin1String("WinampMPEG/2.8"), QLatin1String("Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)"));
    return request.toUtf8();
}
