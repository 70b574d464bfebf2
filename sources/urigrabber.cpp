#include "sources/urigrabber.h"

#include "config/usersettings.h"
#include "platform/eventsocket.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/tickcount.h"
#include "sources/hlsplaylist.h"
#include "sources/uriplaylist.h"

#include <QPointer>
#include <QTimer>

ctlURIGrabber::ctlURIGrabber(ITickSource* clock, IMessageService* messages, QObject* parent)
    : QObject(parent), m_clock(clock), m_messages(messages), m_winsock(new EventSocket(this)), m_timer(new QTimer(this))
{
    m_winsock->setObjectName(QStringLiteral("Winsock1"));
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTimerIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &ctlURIGrabber::Timer1_Timer);
    connect(m_winsock, &EventSocket::Connected, this, &ctlURIGrabber::Winsock1_Connected);
    connect(m_winsock, &EventSocket::DataArrival, this, &ctlURIGrabber::Winsock1_DataArrival);
    connect(m_winsock, &EventSocket::Closed, this, &ctlURIGrabber::Winsock1_Closed);
    connect(m_winsock, &EventSocket::Error, this, &ctlURIGrabber::Winsock1_Error);
}

ctlURIGrabber::~ctlURIGrabber()
{
    m_winsock->disconnect(this);
    m_winsock->Close();
}

QString ctlURIGrabber::ErrorText(int code)
{
    switch (code) {
    case plsWinsockError:
        return tr("Winsock error on loading playlist file!");
    case plsConnectTimeout:
        return tr("Timeout connecting to remote site!");
    case plsInvalidResponse:
        return tr("Invalid URL or network error! Please make sure that the playlist file location is correct.");
    case plsBadFileName:
        return tr("Bad playlist filename!");
    case plsM3UNoHttp:
        return tr("The M3U file does not contain a proper HTTP reference in the filename!");
    case plsBadPLS:
        return tr("The PLS file is formatted incorrectly!");
    case plsOggRefused:
        return tr("This Ogg address is a file, not a stream: only Ogg streams can be recorded!");
    case plsTooLarge:
        return tr("The playlist file is too large (more than 16 MiB)!");
    case plsNotAFile:
        return tr("The playlist is not a regular file!");
    case plsHlsMediaFile:
        return tr("This HLS playlist file lists the parts of a stream, not a station: record the address it came "
                  "from instead!");
    case plsUnknown:
        return tr("Unknown error retrieving playlist!");
    default:
        return QString();
    }
}

QString ctlURIGrabber::ErrorMessage(int code) const
{
    QString text = ErrorText(code);
    // A secure connection that failed says which server and why.
    if (!text.isEmpty() && code == plsWinsockError && !m_tlsError.isEmpty())
        text += QStringLiteral("\r\n") + m_tlsError;
    return text;
}

void ctlURIGrabber::StdErrorMessage(int lngErrorValue)
{
    const QString text = ErrorMessage(lngErrorValue);
    if (!text.isEmpty() && m_messages)
        m_messages->ShowMessage(text);
}

void ctlURIGrabber::StartURIValidation(const QString& strURItoValidate)
{
    m_refreshFollows = 0;
    m_redirects = 0;
    m_tlsError.clear();
    startValidation(strURItoValidate, false);
}

void ctlURIGrabber::endRequest()
{
    m_phase = Idle;
    m_startTick = 0;
    m_winsock->Close();
}

void ctlURIGrabber::raiseError(int code)
{
    endRequest();
    emit Error(code);
}

void ctlURIGrabber::startValidation(const QString& address, bool namedByPage)
{
    ++m_generation;
    endRequest();
    m_address = address;
    m_uri = CUri();
    m_rawData.clear();
    m_response.Reset();

    // The title is the last path segment without its extension.
    qsizetype cut = address.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        cut = address.lastIndexOf(QLatin1Char('/'));
    const QString segment = address.mid(cut + 1);
    if (segment.size() < 4) {
        raiseError(plsUnknown);
        return;
    }
    strFirstTitle = segment.left(segment.size() - 4);

    if (!address.startsWith(QLatin1String("http"))) {
        // A local playlist file. A web page's refresh never opens one.
        if (namedByPage || !FileExists(address)) {
            raiseError(plsBadFileName);
            return;
        }
        // Read only from a regular file and within the bound a fetched
        // playlist has: a FIFO must not block, a device must not read forever.
        const FileRead file = ReadRegularFile(address, kMaxPlaylistBytes);
        if (!file.ok()) {
            raiseError(file.status == FileRead::TooLarge     ? plsTooLarge
                       : file.status == FileRead::NotRegular ? plsNotAFile
                                                             : plsUnknown);
            return;
        }
        if (IsHlsAddress(address) && LooksLikeHlsPlaylist(file.bytes)) {
            localHls(address, file.bytes);
            return;
        }
        parseAndReport(DecodeLines(file.bytes).join(QLatin1String("\r\n")));
        return;
    }

    if (!m_uri.setUri(address)) {
        raiseError(plsUnknown);
        return;
    }
    if (!m_timer->isActive())
        m_timer->start();
    m_startTick = m_clock->GetTickCount();
    m_phase = Connecting;
    m_winsock->Connect(m_uri.Host(), m_uri.Port(), AsciiLower(m_uri.Protocol()) == QLatin1String("https"));
}

void ctlURIGrabber::localHls(const QString& path, const QByteArray& text)
{
    // A saved master playlist names its stations by address: the variant
    // chosen as a fetched one's would be is recorded. A playlist of
    // segments is a moment of a stream, read once and never again.
    const HlsPlaylist list = ParseHlsPlaylist(text, QUrl::fromLocalFile(path));
    const int chosen = list.variants.isEmpty() ? -1 : PickHlsVariant(list, HlsLowestVariant());
    const QUrl media = chosen < 0 ? QUrl() : HlsVariantMediaUrl(list, chosen);
    CUri uri;
    if (!media.isValid() || !media.scheme().startsWith(QLatin1String("http")) ||
        !uri.setUri(media.toString(QUrl::FullyEncoded))) {
        raiseError(list.variants.isEmpty() ? plsHlsMediaFile : plsM3UNoHttp);
        return;
    }
    strFirstTitle.clear();
    emit URLRaise(uri.Host(), uri.Resource(), uri.Port(), uri.QueryString(),
                  AsciiLower(uri.Protocol()) == QLatin1String("https"), true);
    endRequest();
    emit Done();
}

void ctlURIGrabber::Timer1_Timer()
{
    // Done with the list: nothing to watch until the next fetch starts it.
    if (m_phase == Idle) {
        m_timer->stop();
        return;
    }
    const qint64 elapsed = TickDifference(m_clock->GetTickCount(), m_startTick);
    if (m_phase == Connecting && elapsed > kConnectTimeoutMs)
        raiseError(plsConnectTimeout);
    else if (elapsed >= kResponseTimeoutMs)
        raiseError(plsInvalidResponse);
}

void ctlURIGrabber::Winsock1_Connected()
{
    if (m_phase != Connecting)
        return;
    m_phase = AwaitingResponse;
    QString request = QStringLiteral("GET ") + m_uri.Resource();
    if (!m_uri.QueryString().isEmpty())
        request += QLatin1Char('?') + m_uri.QueryString();
    request += QStringLiteral(" HTTP/1.1\r\nHost: ") + m_uri.Host() +
               QStringLiteral("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)\r\n\r\n");
    m_winsock->SendData(request.toUtf8());
}

void ctlURIGrabber::Winsock1_DataArrival(qint64 /*bytesTotal*/)
{
    const QByteArray data = m_winsock->GetData();
    if (m_phase != AwaitingResponse)
        return;
    // The time-out counts from the latest data, so a slow server that keeps
    // sending is not cut off while a stalled one still is.
    m_startTick = m_clock->GetTickCount();
    const HttpResponseAssembler::Status status = m_response.Feed(data);
    // An Ogg stream never ends: its header is enough to tell it.
    if (status != HttpResponseAssembler::NeedMore || oggAnswer())
        responseEnded(status);
}

bool ctlURIGrabber::oggAnswer() const
{
    if (m_response.Header().isEmpty())
        return false;
    const QByteArray type = m_response.Field("content-type").toLower();
    return type.startsWith("application/ogg") || type.startsWith("audio/ogg") || type.startsWith("video/ogg");
}

bool ctlURIGrabber::hlsAnswer() const
{
    return (IsHlsContentType(m_response.Field("content-type")) || IsHlsAddress(m_uri.Resource())) &&
           LooksLikeHlsPlaylist(m_response.Body());
}

void ctlURIGrabber::Winsock1_Closed()
{
    if (m_phase != AwaitingResponse)
        return;
    const QByteArray rest = m_winsock->GetData();
    HttpResponseAssembler::Status status = m_response.Feed(rest);
    if (status == HttpResponseAssembler::NeedMore)
        status = m_response.FinishOnClose();
    responseEnded(status);
}

void ctlURIGrabber::Winsock1_Error(int /*number*/, const QString& description)
{
    if (m_phase == Idle)
        return;
    m_tlsError = m_winsock->Secure() ? description : QString();
    raiseError(plsWinsockError);
}

void ctlURIGrabber::responseEnded(HttpResponseAssembler::Status status)
{
    endRequest();
    if (oggAnswer() && m_response.StatusCode() == 200) {
        // An Ogg stream (open-ended: no length) is itself the station; an
        // Ogg file of a given length is not a stream.
        if (!m_response.Field("content-length").isEmpty()) {
            emit Error(plsOggRefused);
            return;
        }
        emit URLRaise(m_uri.Host(), m_uri.Resource(), m_uri.Port(), m_uri.QueryString(),
                      AsciiLower(m_uri.Protocol()) == QLatin1String("https"));
        emit Done();
        return;
    }
    if (status != HttpResponseAssembler::Complete) {
        emit Error(status == HttpResponseAssembler::TooLarge ? plsTooLarge : plsInvalidResponse);
        return;
    }
    const int code = m_response.StatusCode();
    if (code == 200 && hlsAnswer()) {
        // An HLS playlist is the station itself: it is read again and again
        // while it is recorded.
        emit URLRaise(m_uri.Host(), m_uri.Resource(), m_uri.Port(), m_uri.QueryString(),
                      AsciiLower(m_uri.Protocol()) == QLatin1String("https"), true);
        endRequest();
        emit Done();
        return;
    }
    if (code == 301 || code == 302 || code == 303 || code == 307 || code == 308) {
        // Web servers move playlists (to https, among others).
        QString target = QString::fromUtf8(m_response.Field("location"));
        if (target.startsWith(QLatin1Char('/')))
            target = m_uri.Protocol() + QStringLiteral("://") + m_uri.Host() + QLatin1Char(':') +
                     QString::number(m_uri.Port()) + target;
        if (target.isEmpty() || ++m_redirects > kMaxRedirects) {
            emit Error(plsInvalidResponse);
            return;
        }
        startValidation(target, true);
        return;
    }
    judgeResponse(DecodeText(m_response.Whole()));
}

void ctlURIGrabber::judgeResponse(const QString& text)
{
    if (!text.contains(QLatin1String("200 OK"))) {
        emit Error(plsInvalidResponse);
        return;
    }
    if (!AsciiLower(text).contains(QLatin1String("\"refresh\""))) {
        parseAndReport(text);
        return;
    }
    const QString target = GetRefreshURL(text);
    if (target.isEmpty()) {
        if (m_messages)
            m_messages->ShowMessage(tr("The meta-refresh data passed to the Tavrix is malformed. \r\n"
                                       "Source:\r\n%1")
                                        .arg(text));
        return;
    }
    if (++m_refreshFollows > kMaxRefreshFollows) {
        emit Error(plsInvalidResponse);
        return;
    }
    startValidation(target, true);
}

void ctlURIGrabber::parseAndReport(const QString& text)
{
    m_rawData = text;
    const PlaylistResult result = ParsePlaylist(text, m_address);
    if (result.IsM3U && result.HasTitle)
        strFirstTitle.clear();

    // A handler may start another fetch or delete this object; stop reporting
    // this playlist then.
    const quint64 generation = m_generation;
    QPointer<ctlURIGrabber> self(this);
    for (const PlaylistEntry& entry : result.Entries) {
        emit URLRaise(entry.Host, entry.Resource, entry.Port, entry.QueryString, entry.Secure);
        if (!self || m_generation != generation)
            return;
    }
    if (result.Error != plsOK) {
        raiseError(result.Error);
        return;
    }
    if (!result.IsM3U && result.HasTitle)
        strFirstTitle = result.FirstTitle;
    endRequest();
    emit Done();
}
