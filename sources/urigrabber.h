#pragma once

#include "sources/curi.h"
#include "sources/httpresponse.h"

#include <QObject>
#include <QString>

class EventSocket;
class IMessageService;
class ITickSource;
class QTimer;

// Turns a playlist address (".pls" or ".m3u" over HTTP, or a local playlist
// file) into the stream servers it names. Each server is reported by URLRaise
// in playlist order, then Done; any failure by Error with a code that
// StdErrorMessage turns into a message for the user. An HTML page with a meta
// refresh is followed to the address it names.
//
// Everything runs on the owner's thread: StartURIValidation returns at once for
// an HTTP address, and the connection, the request and the response are
// driven by the socket's signals and a 100 ms time-out timer.
class ctlURIGrabber : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 100;
    static constexpr int kConnectTimeoutMs = 3000;  // Error(2) after more than this
    static constexpr int kResponseTimeoutMs = 3001; // Error(3) after this without data
    static constexpr int kMaxRefreshFollows = 8;    // meta refreshes followed in a row
    static constexpr int kMaxRedirects = 5;         // HTTP redirects followed in a row

    ctlURIGrabber(ITickSource* clock, IMessageService* messages, QObject* parent = nullptr);
    ~ctlURIGrabber() override;

    // Starts a fetch (or reads a local file at once). Any fetch still running
    // is abandoned without an event.
    void StartURIValidation(const QString& strURItoValidate);
    // Shows the text of an error code; codes without a text show nothing.
    void StdErrorMessage(int lngErrorValue);
    static QString ErrorText(int code);
    // The text StdErrorMessage shows: ErrorText, and for a connection error
    // why the last secure connection failed.
    QString ErrorMessage(int code) const;
    // Why the last secure connection failed (host and reason); "" when none did.
    QString TlsError() const { return m_tlsError; }

    // The 100 ms time-out check; the timer calls it.
    void Timer1_Timer();

    // A request is in progress (connecting or waiting for the response).
    bool IsBusy() const { return m_phase != Idle; }
    // The text last handed to the playlist parser (a response with its headers,
    // or a local file's lines joined by CR LF).
    QString RawData() const { return m_rawData; }
    QString Address() const { return m_address; }

    // The playlist's title: the address's last path segment without its last
    // four characters, replaced by the PLS "Title" entry, "" for M3U. Read it
    // when Done arrives.
    QString strFirstTitle;

signals:
    // `Secure`: the server is reached over TLS ("https"); `Hls`: the
    // address is itself an HLS playlist, the station's stream.
    void URLRaise(const QString& Host, const QString& Resource, int Port, const QString& QueryString,
                  bool Secure = false, bool Hls = false);
    void Done();
    void Error(int lngType);

private:
    enum Phase { Idle, Connecting, AwaitingResponse };

    void startValidation(const QString& address, bool namedByPage);
    void Winsock1_Connected();
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Closed();
    void Winsock1_Error(int number, const QString& description);
    void responseEnded(HttpResponseAssembler::Status status);
    void judgeResponse(const QString& text);
    void localHls(const QString& path, const QByteArray& text);
    // The server answered with an Ogg stream's content type.
    bool oggAnswer() const;
    // The answer is an HLS playlist (by its content type or address, and its body).
    bool hlsAnswer() const;
    void parseAndReport(const QString& text);
    void endRequest();
    void raiseError(int code);

    ITickSource* m_clock;
    IMessageService* m_messages;
    EventSocket* m_winsock;
    QTimer* m_timer;
    Phase m_phase = Idle;
    qint32 m_startTick = 0;
    QString m_address;
    CUri m_uri;
    QString m_rawData;
    // Playlists of ten thousand entries are real.
    static constexpr qsizetype kMaxPlaylistBytes = 16 * 1024 * 1024;
    HttpResponseAssembler m_response{kMaxPlaylistBytes};
    quint64 m_generation = 0;
    int m_refreshFollows = 0;
    int m_redirects = 0;
    QString m_tlsError; // why the last secure connection failed
};
