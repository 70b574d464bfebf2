#include "sources/live365reader.h"

#include "platform/text.h"
#include "sources/live365pages.h"

ctlLive365TitleReader::ctlLive365TitleReader(ITickSource* clock, QObject* parent)
    : QObject(parent),
      m_clock(clock),
      m_WS(new EventSocket(this)),
      m_WSTitle(new EventSocket(this)),
      m_wsReadWindow(new EventSocket(this))
{
    for (QTimer* timer : {&m_tmrReload, &m_tmrGetTitle, &m_tmrReadwindow, &m_connectWatch}) {
        timer->setInterval(kTimerPeriodMs);
        timer->setSingleShot(false);
    }
    connect(&m_tmrReload, &QTimer::timeout, this, &ctlLive365TitleReader::tmrReload_Timer);
    connect(&m_tmrGetTitle, &QTimer::timeout, this, &ctlLive365TitleReader::tmrGetTitle_Timer);
    connect(&m_tmrReadwindow, &QTimer::timeout, this, &ctlLive365TitleReader::tmrReadwindow_Timer);
    connect(&m_connectWatch, &QTimer::timeout, this, &ctlLive365TitleReader::onConnectWatch);

    const Page pages[] = {NowPlayingPage, StationPage, WindowPage};
    for (Page page : pages) {
        EventSocket* socket = channel(page).socket;
        connect(socket, &EventSocket::Connected, this, [this, page] { onConnected(page); });
        connect(socket, &EventSocket::Error, this,
                [this, page](int, const QString& description) { onSocketError(page, description); });
        connect(socket, &EventSocket::DataArrival, this, [this, page](qint64) { onDataArrival(page); });
    }
    SetStationName(QString());
}

ctlLive365TitleReader::~ctlLive365TitleReader()
{
    m_tmrReload.stop();
    m_tmrGetTitle.stop();
    m_tmrReadwindow.stop();
    m_connectWatch.stop();
    for (EventSocket* socket : {m_WS, m_WSTitle, m_wsReadWindow})
        socket->disconnect(this);
}

ctlLive365TitleReader::Channel ctlLive365TitleReader::channel(Page page)
{
    switch (page) {
    case StationPage:
        return {m_WSTitle, &m_tmrGetTitle, &m_strL365TitlePage, &m_bSPass2, &m_lngThirdWinSock, 3, 4};
    case WindowPage:
        return {m_wsReadWindow, &m_tmrReadwindow, &m_strL365ReadWindow, &m_bSPass3, &m_lngFourthWinSock, 6, 7};
    case NowPlayingPage:
    default:
        return {m_WS, &m_tmrReload, &m_strWebPage, &m_bSinglePass, &m_lngPageStartTick, 1, 2};
    }
}

qint32 ctlLive365TitleReader::now() const
{
    return m_clock->GetTickCount();
}

qint32 ctlLive365TitleReader::startTickNow() const
{
    // 0 means "no request pending", so a request started at tick 0 is
    // dated one millisecond later.
    const qint32 tick = now();
    return tick == 0 ? 1 : tick;
}

bool ctlLive365TitleReader::HasOpenSocket() const
{
    return m_WS->State() != EventSocket::sckClosed || m_WSTitle->State() != EventSocket::sckClosed ||
           m_wsReadWindow->State() != EventSocket::sckClosed;
}

bool ctlLive365TitleReader::Requesting() const
{
    for (const EventSocket* socket : {m_WS, m_WSTitle, m_wsReadWindow}) {
        const int state = socket->State();
        if (state == EventSocket::sckResolvingHost || state == EventSocket::sckConnecting ||
            state == EventSocket::sckConnected)
            return true;
    }
    return false;
}

bool ctlLive365TitleReader::TimersActive() const
{
    return m_tmrReload.isActive() || m_tmrGetTitle.isActive() || m_tmrReadwindow.isActive() ||
           m_connectWatch.isActive();
}

// --- the public operations ---------------------------------------------------

void ctlLive365TitleReader::SetStationName(const QString& v_StationName)
{
    if (v_StationName.isEmpty()) {
        m_StationName.clear();
        Reset(false);
        return;
    }
    m_StationName = v_StationName;
    m_bActive = true;
    ReadWindow();
}

void ctlLive365TitleReader::GetL365StationFromNumber(const QString& sStationNumber, bool AFLMode)
{
    m_pendingAFLMode = AFLMode;
    fetchPage(StationPage, QStringLiteral("/stations/") + EncodeRequestValue(sStationNumber.trimmed()));
}

void ctlLive365TitleReader::ReadWindow()
{
    fetchPage(WindowPage, QStringLiteral("/cgi-bin/mini.cgi?membername=") + EncodeRequestValue(m_StationName) +
                              QStringLiteral("&clientType=&playlist=undefined&bitratebypass=1"));
}

QString ctlLive365TitleReader::ExtractFromString(const QString& inS, const QString& lStartPattern,
                                                 const QString& lEndPattern, int StartPos)
{
    return ::ExtractFromString(inS, lStartPattern, lEndPattern, StartPos);
}

QString ctlLive365TitleReader::StdErrorMessage(int lngErrorValue) const
{
    QString text = errorText(lngErrorValue);
    if ((lngErrorValue == 1 || lngErrorValue == 3 || lngErrorValue == 6) && !m_tlsError.isEmpty())
        text += QStringLiteral("\r\n") + m_tlsError;
    return text;
}

QString ctlLive365TitleReader::errorText(int lngErrorValue)
{
    switch (lngErrorValue) {
    case 1:
        return tr("Connection error to Live365 playlist server!");
    case 2:
        return tr("Timeout connecting to Live365 playlist server!");
    case 3:
        return tr("Connection error reading Live365 name!");
    case 4:
        return tr("Timeout reading Live365 name!");
    case 5:
        return tr("Could not find broadcast information!");
    case 6:
        return tr("Connection error getting Live365 playlist information!");
    case 7:
        return tr("Timeout reading Live365 playlist information");
    case 8:
        return tr("Could not find playlist information");
    case 99:
        return tr("Unknown error connecting to live 365 playlist server!");
    default: return QString();
    }
}

// --- fetching a page -----------------------------------------------------------

void ctlLive365TitleReader::fetchPage(Page page, const QString& address)
{
    Channel ch = channel(page);
    const PageAddress target = ResolvePageAddress(address, Live365Host());
    m_request[page] = BuildPageRequest(target);
    ch.socket->Close();
    ch.buffer->clear();
    *ch.startTick = startTickNow();
    *ch.passDone = false;
    m_connecting[page] = true;
    if (!m_connectWatch.isActive())
        m_connectWatch.start();
    ch.socket->Connect(target.host, target.port, target.secure);
}

void ctlLive365TitleReader::fetchNowPlaying(const QString& prefix)
{
    m_sHeaderRem = prefix;
    fetchPage(NowPlayingPage, prefix + EncodeRequestValue(m_StationName));
}

void ctlLive365TitleReader::onConnected(Page page)
{
    if (!m_connecting[page])
        return;
    m_connecting[page] = false;
    Channel ch = channel(page);
    if (page == StationPage)
        m_bAFLMode = m_pendingAFLMode;
    ch.timer->start();
    ch.socket->SendData(m_request[page]);
}

void ctlLive365TitleReader::onSocketError(Page page, const QString& description)
{
    m_tlsError = channel(page).socket->Secure() ? description : QString();
    if (m_connecting[page]) {
        connectFailed(page, channel(page).connectionError);
        return;
    }
    if (page == NowPlayingPage)
        WS_Error();
}

void ctlLive365TitleReader::WS_Error()
{
    emit Error(1);
}

void ctlLive365TitleReader::onConnectWatch()
{
    const Page pages[] = {NowPlayingPage, StationPage, WindowPage};
    const quint64 generation = m_generation;
    for (Page page : pages) {
        if (generation != m_generation)
            return;
        if (!m_connecting[page])
            continue;
        Channel ch = channel(page);
        if (ch.socket->State() == EventSocket::sckError)
            connectFailed(page, ch.connectionError);
        else if (TickDifference(now(), *ch.startTick) > kConnectTimeoutMs)
            connectFailed(page, ch.timeoutError);
    }
    if (!m_connecting[0] && !m_connecting[1] && !m_connecting[2])
        m_connectWatch.stop();
}

void ctlLive365TitleReader::connectFailed(Page page, int code)
{
    // The wait ends here: one error per failed connection.
    m_connecting[page] = false;
    channel(page).socket->Close();
    emit Error(code);
}

void ctlLive365TitleReader::onDataArrival(Page page)
{
    Channel ch = channel(page);
    const QByteArray data = ch.socket->GetData();
    if (data.isEmpty() || *ch.passDone)
        return;
    if (ch.buffer->size() + data.size() > kMaxPageBytes) {
        // Not a page we can use: ignore the rest and let the time-outs act.
        *ch.passDone = true;
        ch.buffer->clear();
        return;
    }
    ch.buffer->append(data);
    if (!PageCompletedBy(*ch.buffer, data.size()))
        return;
    *ch.passDone = true;
    *ch.startTick = 0;
    switch (page) {
    case StationPage: processStationPage(); break;
    case WindowPage: processWindowPage(); break;
    case NowPlayingPage: processNowPlayingPage(); break;
    }
}

// --- processing the pages ------------------------------------------------------

void ctlLive365TitleReader::processStationPage()
{
    const QString page = DecodeText(m_strL365TitlePage);
    QString name;
    if (ParseBroadcastName(page, name))
        emit TitleCallBack(name);
    else
        emit Error(5);
    // Unless a handler has started another station request meanwhile.
    if (m_bSPass2 && !m_connecting[StationPage]) {
        m_WSTitle->Close();
        m_tmrGetTitle.stop();
    }
}

void ctlLive365TitleReader::processWindowPage()
{
    const QString page = DecodeText(m_strL365ReadWindow);
    QString prefix;
    if (ParseNowPlayingPrefix(page, m_bAFLMode, prefix))
        fetchNowPlaying(prefix);
    else
        emit Error(8);
    if (m_bSPass3 && !m_connecting[WindowPage]) {
        m_wsReadWindow->Close();
        m_tmrReadwindow.stop();
    }
}

void ctlLive365TitleReader::processNowPlayingPage()
{
    const NowPlaying playing = ParseNowPlaying(DecodeText(m_strWebPage));
    const quint64 generation = m_generation;
    emit TitleChange(playing.strArtist, playing.strTitle);
    if (generation != m_generation)
        return;
    m_lngReadingTick = now();
    m_lngSecondsLeft = playing.secondsLeft;
}

// --- timers ----------------------------------------------------------------------

void ctlLive365TitleReader::tmrReload_Timer()
{
    const qint32 tick = now();
    if (m_lngPageStartTick != 0 && TickDifference(tick, m_lngPageStartTick) > kHangingReloadMs &&
        !m_StationName.isEmpty()) {
        Reload();
        return;
    }
    if (m_lngSecondsLeft > 0 && TickDifference(tick, m_lngReadingTick) > static_cast<qint64>(m_lngSecondsLeft) * 1000)
        Reload();
}

void ctlLive365TitleReader::tmrGetTitle_Timer()
{
    if (m_lngThirdWinSock != 0 && TickDifference(now(), m_lngThirdWinSock) > kPageTimeoutMs)
        emit Error(4);
}

void ctlLive365TitleReader::tmrReadwindow_Timer()
{
    if (m_lngFourthWinSock != 0 && TickDifference(now(), m_lngFourthWinSock) > kPageTimeoutMs)
        emit Error(7);
}

void ctlLive365TitleReader::Reload()
{
    Reset(true);
    fetchNowPlaying(m_sHeaderRem);
}

void ctlLive365TitleReader::Reset(bool keepHeader)
{
    ++m_generation;
    m_tmrReload.stop();
    m_tmrGetTitle.stop();
    m_tmrReadwindow.stop();
    m_connectWatch.stop();
    m_WS->Close();
    m_WSTitle->Close();
    m_wsReadWindow->Close();
    m_lngPageStartTick = 0;
    m_lngThirdWinSock = 0;
    m_lngFourthWinSock = 0;
    m_lngReadingTick = 0;
    m_lngSecondsLeft = 0;
    m_bActive = false;
    m_bSinglePass = false;
    m_bSPass2 = false;
    m_bSPass3 = false;
    m_bAFLMode = false;
    for (int i = 0; i < 3; ++i) {
        m_connecting[i] = false;
        m_request[i].clear();
    }
    m_strWebPage.clear();
    m_strL365TitlePage.clear();
    m_strL365ReadWindow.clear();
    if (!keepHeader)
        m_sHeaderRem.clear();
}
