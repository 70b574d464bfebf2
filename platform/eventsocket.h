#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// An event-driven TCP socket with a small, fixed contract that every network
// piece of the program relies on:
//  - Connect() returns at once; success or failure shows in State() and in
//    the Connected / Error signals.
//  - State(): 0 closed, 7 connected, 9 error; any other value means busy
//    (2 listening, 4 resolving, 6 connecting, 8 the peer has closed).
//  - GetData() hands over every byte received so far, unchanged.
//  - DataArrival is never raised inside a handler of DataArrival, even when
//    the handler runs events (a modal message box); what arrives meanwhile
//    raises it again once the handler has returned.
//  - SendData() queues bytes unchanged.
//  - Listen() on LocalPort; each incoming connection raises ConnectionRequest
//    with an id that Accept() on any socket object takes over. A request that
//    nobody accepts during the signal is refused.
// All calls and signals happen on the thread that owns the object.
class EventSocket : public QObject {
    Q_OBJECT
public:
    enum StateValue {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckResolvingHost = 4,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };

    explicit EventSocket(QObject* parent = nullptr);
    ~EventSocket() override;

    void Close();
    // With `secure` the connection is TLS: Connected follows a handshake in
    // which the server's certificate verified for `remoteHost` against the
    // system's certificates (and those of the file named by the environment
    // variable TONQUILL_CA_FILE, when set). A certificate that does not
    // verify ends in Error with a description naming the host and the reason;
    // there is no unverified connection.
    void Connect(const QString& remoteHost, int remotePort, bool secure = false);
    bool Secure() const { return m_secure; }
    int State() const;
    void SendData(const QByteArray& data);
    // Into `into`, reusing its memory; a stream read chunk by chunk then
    // needs no new buffer for every chunk.
    void GetData(QByteArray& into);
    QByteArray GetData();
    // At most this many bytes are taken from the system per DataArrival
    // (0: no limit, the default); the rest waits in the system's buffer and
    // raises the next DataArrival. Applies to connections made afterwards.
    void setReadBufferLimit(qint64 bytes) { m_readLimit = bytes; }
    // The system wakes the program for received data only once this many
    // bytes wait (0: for every packet, the default); WakeForWaitingData()
    // fetches whatever waits below that. A steady stream read this way
    // costs a wake-up per call instead of one per packet. Takes effect at
    // once and for connections made afterwards.
    void setWakeThreshold(int bytes);
    void WakeForWaitingData();
    // Bytes received and not yet taken with GetData.
    qint64 BytesReceived() const;
    // Every byte GetData has taken since the socket was made.
    qint64 BytesTaken() const { return m_bytesRead; }
    // Raises DataArrival again, from the event loop, when received bytes
    // wait: for a handler that left data unread on purpose and wants it now.
    void RaiseDataArrival();

    void setLocalPort(int port) { m_localPort = port; }
    int LocalPort() const { return m_localPort; }
    // Binds to every local interface unless bindAddress names one ("127.0.0.1").
    bool Listen(const QString& bindAddress = QString());
    QString RemoteHostIP() const;
    void Accept(int requestID);

    // How many bytes wait to be sent (for the relay's back-pressure).
    qint64 BytesToWrite() const;

signals:
    void DataArrival(qint64 bytesTotal);
    void Error(int number, const QString& description);
    void ConnectionRequest(int requestID);
    void Connected();
    void Closed();

private:
    void adopt(QTcpSocket* socket, bool secure = false);
    void raiseDataArrival(QTcpSocket* socket);
    void deliverQueuedArrival(QTcpSocket* socket);
    void dropSocket();
    void applyWakeThreshold(int bytes);
    void onNewConnection();

    QTcpSocket* m_socket = nullptr;
    QTcpServer* m_server = nullptr;
    int m_state = sckClosed;
    bool m_secure = false;
    QString m_remoteHost;
    QString m_tlsProblem;  // why the certificate did not verify
    int m_localPort = 0;
    qint64 m_readLimit = 0;
    int m_wakeThreshold = 0;
    bool m_wakeLowered = false;  // WakeForWaitingData lowered the threshold to fetch what waits
    qint64 m_bytesRead = 0;  // every byte GetData has handed over
    bool m_arrivalQueued = false;  // a coalesced DataArrival waits in the event loop
    QTcpSocket* m_inArrival = nullptr;  // the socket whose DataArrival handler runs
    QString m_pendingPeer;  // peer of the request being offered
};
