#include "recorder/serverlist.h"

QByteArray BuildStreamRequest(const ServerEntry& entry, bool metadata, bool ieAgent)
{
    QString request = QStringLiteral("GET [PATH] HTTP/1.1\r\n"
                                     "Host: [STREAM]:[PORT]\r\n"
                                     "User-Agent: WinampMPEG/2.8\r\n"
                                     "Accept: */*\r\n");
    request += metadata ? QStringLiteral("Icy-MetaData:1\r\n") : QStringLiteral("Icy-MetaData:0\r\n");
    request += QStringLiteral("Connection: close\r\n\r\n");

    QString path = entry.Path;
    if (!entry.QueryString.isEmpty())
        path += QLatin1Char('?') + entry.QueryString;
    request.replace(QLatin1String("[PATH]"), path);
    request.replace(QLatin1String("[STREAM]"), entry.Host);
    request.replace(QLatin1String("[PORT]"), entry.Port);
    if (ieAgent)
        request.replace(QLatin1String("WinampMPEG/2.8"), QLatin1String("Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)"));
    return request.toUtf8();
}
