#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// One answer to an HLS request.
struct HlsFetchResult {
    bool ok = false;       // a 2xx answer came whole
    bool tooLarge = false; // the body passed the limit and was abandoned
    int status = 0;        // the HTTP status; 0 when no answer came
    QByteArray contentType;
    QByteArray body;
    QString error; // why it failed, as the user reads it
};

// Fetches the playlists, keys and segments of an HLS station, one request
// at a time. A request abandoned by Abort (or by another Get) reports nothing.
class HlsFetcher {
public:
    using Done = std::function<void(const HlsFetchResult&)>;
    virtual ~HlsFetcher() = default;
    virtual void Get(const QUrl& url, qsizetype limit, Done done) = 0;
    virtual void Abort() = 0;
    virtual bool Busy() const = 0;
};

// Over HTTP or HTTPS (certificates verified) on one kept-alive connection.
class HlsNetFetcher : public QObject, public HlsFetcher {
    Q_OBJECT
public:
    explicit HlsNetFetcher(QByteArray userAgent, QObject* parent = nullptr);
    ~HlsNetFetcher() override;
    void Get(const QUrl& url, qsizetype limit, Done done) override;
    void Abort() override;
    bool Busy() const override { return !m_reply.isNull(); }

private:
    void finished();

    QNetworkAccessManager* m_manager;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_userAgent;
    qsizetype m_limit = 0;
    bool m_tooLarge = false;
    Done m_done;
};
