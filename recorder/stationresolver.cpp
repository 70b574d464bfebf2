#include "recorder/stationresolver.h"

#include "sources/urigrabber.h"
#include "sources/uriplaylist.h"

#include <QCoreApplication>
#include <utility>

namespace {
ResolveError errorOf(int code)
{
    switch (code) {
    case plsWinsockError:
        return ResolveError::Network;
    case plsConnectTimeout:
        return ResolveError::ConnectTimeout;
    case plsInvalidResponse:
        return ResolveError::InvalidResponse;
    case plsBadFileName:
        return ResolveError::BadFileName;
    case plsM3UNoHttp:
        return ResolveError::M3UNoHttp;
    case plsBadPLS:
        return ResolveError::BadPLS;
    case plsOggRefused:
        return ResolveError::OggFile;
    case plsTooLarge:
        return ResolveError::TooLarge;
    case plsNotAFile:
        return ResolveError::NotAFile;
    case plsHlsMediaFile:
        return ResolveError::HlsMediaFile;
    default:
        return ResolveError::Unknown;
    }
}
} // namespace

StationResolver::StationResolver(ITickSource* clock, IMessageService* messages, QObject* parent)
    : QObject(parent), m_grabber(new ctlURIGrabber(clock, messages, this))
{
    connect(
        m_grabber, &ctlURIGrabber::URLRaise, this,
        [this](const QString& host, const QString& resource, int port, const QString& query, bool secure, bool hls) {
            m_servers.Add(ServerEntry{host, resource, QString::number(port), query, secure, hls});
        });
    connect(m_grabber, &ctlURIGrabber::Done, this, &StationResolver::onDone);
    connect(m_grabber, &ctlURIGrabber::Error, this, &StationResolver::onError);
}

StationResolver::~StationResolver() = default;

void StationResolver::Resolve(const QString& address)
{
    m_servers.Clear();
    m_grabber->StartURIValidation(address);
}

bool StationResolver::Busy() const
{
    return m_grabber->IsBusy();
}

void StationResolver::onDone()
{
    StationResolution result;
    result.servers = std::exchange(m_servers, ServerList());
    result.title = m_grabber->strFirstTitle;
    if (result.servers.Last() < 1) {
        result.error = ResolveError::NoServers;
        result.message = QCoreApplication::translate("frmMP3", "Empty MP3 server list due to error!");
    }
    emit resolved(result);
}

void StationResolver::onError(int code)
{
    StationResolution result;
    result.servers = std::exchange(m_servers, ServerList());
    result.error = errorOf(code);
    result.message = m_grabber->ErrorMessage(code);
    emit resolved(result);
}

bool Live365StationOf(const ServerEntry& entry, QString& stationNumber, bool& aflMode)
{
    if (!entry.Host.contains(QLatin1String("live365")) || !entry.Path.contains(QLatin1Char('/')))
        return false;
    const QString last = entry.Path.mid(entry.Path.lastIndexOf(QLatin1Char('/')) + 1);
    bool numeric = false;
    last.trimmed().toLongLong(&numeric);
    if (!numeric)
        return false;
    stationNumber = last;
    aflMode = entry.QueryString.contains(QLatin1String("AuthType=AFL"));
    return true;
}
