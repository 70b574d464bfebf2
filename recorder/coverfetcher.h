#pragma once

#include "recorder/coverart.h"

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches the pictures a stream names (an ICY StreamUrl) for its songs:
// http and https only, within a time limit, a redirect limit and the
// 8 MB limit, and only an answer that is a picture by its type and its
// first bytes. What it fetched is told by signal, for the song it was
// asked for; nothing waits for it.
class CoverFetcher : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int timeoutMs = 10000; // for the whole answer
        int maxRedirects = 5;
        qsizetype maxBytes = cover::kMaxInputBytes;
    };

    explicit CoverFetcher(QObject* parent = nullptr);
    ~CoverFetcher() override;
    void SetLimits(const Limits& limits) { m_limits = limits; }
    const Limits& GetLimits() const { return m_limits; }

    // True when `url` is an address a picture is fetched from (http or
    // https with a host).
    static bool Fetchable(const QUrl& url);
    // Fetches the picture at `url` for `song`. False when the address is
    // refused at once (refused() is not emitted then). An address fetched
    // last time is answered from what it gave.
    bool Fetch(const QString& song, const QUrl& url);
    int Pending() const { return m_pending; }

signals:
    void fetched(const QString& song, const CoverPicture& picture);
    void refused(const QString& song, const QString& why);

private:
    void finished(QNetworkReply* reply, const QString& song, const QUrl& url);
    void prepared(const QString& song, const QUrl& url, const CoverResult& result);

    QNetworkAccessManager* m_network = nullptr;
    Limits m_limits;
    int m_pending = 0;
    QUrl m_lastUrl;
    CoverResult m_lastResult;
};
