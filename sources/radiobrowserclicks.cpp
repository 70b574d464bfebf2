#include "sources/radiobrowserclicks.h"

#include "platform/paths.h"
#include "sources/stationsearch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

RadioBrowserClicks::RadioBrowserClicks(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent), m_network(network ? network : new QNetworkAccessManager(this))
{
}

bool RadioBrowserClicks::Count(const QString& playlist)
{
    if (!playlist.endsWith(QLatin1String(".pls"), Qt::CaseInsensitive) || !FileExists(playlist))
        return false;
    const QString uuid = StationUuidOfPlaylist(playlist);
    if (uuid.isEmpty())
        return false;
    QNetworkRequest request(RadioBrowserClickUrl(RadioBrowserHost(), uuid));
    request.setHeader(QNetworkRequest::UserAgentHeader, SearchUserAgent());
    request.setTransferTimeout(30000);
    QNetworkReply* reply = m_network->get(request);
    // The answer is not needed; a failed count changes nothing for the user.
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    return true;
}
