#pragma once

#include "platform/eventsocket.h"
#include "platform/tickcount.h"
#include "sources/live365link.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

// Reads a Live365 station's broadcast name and its now-playing titles from
// the Live365 web pages.
//
//  - GetL365StationFromNumber fetches "/stations/<number>" on WSTitle and
//    reports the broadcast name by TitleCallBack.
//  - Assigning a non-empty StationName fetches the player window page on
//    wsReadWindow, takes the now-playing address from it and fetches the
//    now-playing page on WS, which gives TitleChange. The now-playing page is
//    fetched again when its "gSecondsLeft" have run out, and when a request
//    for it has hung for more than 6 s.
//  - Assigning "" returns the reader to idle: timers stopped, sockets closed,
//    nothing further is raised.
//
// Every wait is a continuation on a socket signal or on a 100 ms timer that
// compares tick counts, so nothing here runs a nested event loop. The owner
// normally assigns "" on Error; until it does, a page time-out repeats its
// Error on every timer tick.
class ctlLive365TitleReader : public QObject, public ILive365Link {
    Q_OBJECT
    Q_PROPERTY(QString StationName READ StationName WRITE SetStationName)

public:
    // Period of the three timers and of the connection watch.
    static constexpr int kTimerPeriodMs = 100;
    // A page's socket must connect within this time.
    static constexpr qint64 kConnectTimeoutMs = 3000;
    // A now-playing request pending longer than this is made again.
    static constexpr qint64 kHangingReloadMs = 6000;
    // The station page and the player window page must be complete by then.
    static constexpr qint64 kPageTimeoutMs = 15000;
    // A page that grows past this without its end is no longer collected;
    // the time-outs above then deal with it.
    static constexpr qsizetype kMaxPageBytes = 2 * 1024 * 1024;

    explicit ctlLive365TitleReader(ITickSource* clock, QObject* parent = nullptr);
    ~ctlLive365TitleReader() override;

    QString StationName() const { return m_StationName; }
    void SetStationName(const QString& v_StationName) override;

    void GetL365StationFromNumber(const QString& sStationNumber, bool AFLMode = false) override;
    void ReadWindow();

    static QString ExtractFromString(const QString& inS, const QString& lStartPattern, const QString& lEndPattern,
                                     int StartPos = 1);
    // The connection errors (1, 3, 6) of a page fetched over TLS also say
    // why its secure connection failed (TlsError).
    QString StdErrorMessage(int lngErrorValue) const override;
    // Why the last secure connection of a page failed ("The certificate of
    // <host> does not verify: <reason>"); "" when the last failure was not one.
    QString TlsError() const { return m_tlsError; }

    // State for the owner and for tests.
    bool AFLMode() const { return m_bAFLMode; }
    bool IsActive() const { return m_bActive; }
    QString HeaderRem() const { return m_sHeaderRem; }
    qint32 SecondsLeft() const { return m_lngSecondsLeft; }
    // True while any of the three sockets is open or connecting.
    // A connection of one of the pages is being made or is open.
    bool Requesting() const;
    // One of the reader's timers runs: something may still happen on its
    // next tick. With neither, the reader waits for a call.
    bool TimersActive() const;
    bool HasOpenSocket() const;

signals:
    void TitleChange(const QString& strArtist, const QString& strTitle);
    void TitleCallBack(const QString& text);
    void Error(int lngErrorNum);

private:
    enum Page { NowPlayingPage = 0, StationPage = 1, WindowPage = 2 };
    struct Channel {
        EventSocket* socket;
        QTimer* timer;
        QByteArray* buffer;
        bool* passDone;
        qint32* startTick;
        int connectionError;
        int timeoutError;
    };
    Channel channel(Page page);

    void fetchPage(Page page, const QString& address);
    void fetchNowPlaying(const QString& prefix);
    void onConnected(Page page);
    void onSocketError(Page page, const QString& description);
    void onDataArrival(Page page);
    void onConnectWatch();
    void connectFailed(Page page, int code);
    static QString errorText(int lngErrorValue);
    void processStationPage();
    void processWindowPage();
    void processNowPlayingPage();
    void WS_Error();
    void tmrReload_Timer();
    void tmrGetTitle_Timer();
    void tmrReadwindow_Timer();
    void Reload();
    void Reset(bool keepHeader);
    qint32 now() const;
    qint32 startTickNow() const;

    ITickSource* m_clock;
    QString m_StationName;
    bool m_bActive = false;

    EventSocket* m_WS;
    EventSocket* m_WSTitle;
    EventSocket* m_wsReadWindow;
    QTimer m_tmrReload;
    QTimer m_tmrGetTitle;
    QTimer m_tmrReadwindow;
    QTimer m_connectWatch;

    QByteArray m_strWebPage;
    QByteArray m_strL365TitlePage;
    QByteArray m_strL365ReadWindow;
    bool m_bSinglePass = false;
    bool m_bSPass2 = false;
    bool m_bSPass3 = false;
    qint32 m_lngPageStartTick = 0;
    qint32 m_lngThirdWinSock = 0;
    qint32 m_lngFourthWinSock = 0;
    bool m_connecting[3] = {false, false, false};
    QByteArray m_request[3];

    QString m_sHeaderRem;
    QString m_tlsError;
    bool m_bAFLMode = false;
    bool m_pendingAFLMode = false;  // applied once the station page connects
    qint32 m_lngReadingTick = 0;
    qint32 m_lngSecondsLeft = 0;

    // Counts resets, so that work after an emitted signal stops when the
    // owner's handler has reset the reader.
    quint64 m_generation = 0;
};
