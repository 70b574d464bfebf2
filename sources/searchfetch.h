#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
#include <QNetworkReply>

// One GET of the search windows at a time: sent with the program's
// User-Agent, never cached, given up when the server sends nothing for
// `stallMs`, cut at `maxBytes`, and cancellable. Starting a new one
// cancels the one before without reporting it.
class SearchFetch : public QObject {
    Q_OBJECT
public:
    // CutShort: the server answered (2xx) and its answer broke off or could
    // not be unpacked; `body` holds what arrived.
    enum Outcome { Done, HttpError, NetworkError, TimedOut, Cancelled, TooLarge, CutShort };
    struct Result {
        Outcome outcome = Done;
        int status = 0; // the HTTP status, 0 when none came
        QByteArray body;
        QByteArray contentType;
        QString error;        // the network's own words for a failure
        QUrl url;             // where the answer came from, after redirects
        bool encoded = false; // sent packed (Content-Encoding)
    };
    static constexpr int kDefaultStallMs = 20000;

    SearchFetch(QNetworkAccessManager* network, qsizetype maxBytes, QObject* parent = nullptr);

    void start(const QUrl& url);
    // Ends the running request; reports it as Cancelled.
    void cancel();
    bool running() const { return m_reply; }
    void setStallMs(int ms) { m_stall.setInterval(ms); }
    int stallMs() const { return m_stall.interval(); }

    qsizetype maxBytes() const { return m_maxBytes; }

    // A short sentence for the window's status line.
    static QString Describe(const Result& result);

signals:
    void started(const QUrl& url);
    void finished(const SearchFetch::Result& result);

private:
    void read();
    void finish(Outcome forced);

    QNetworkAccessManager* m_network;
    qsizetype m_maxBytes;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QTimer m_stall;
};
