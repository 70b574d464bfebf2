#pragma once

#include "recorder/coverart.h"
#include "recorder/coverfetcher.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>

class QNetworkAccessManager;

// Looks up a song's cover by its artist and title: the recording is found
// with a MusicBrainz search, the front cover of its first release is taken
// from the Cover Art Archive. Off unless the user asks for it
// ("CoverLookup"). The services are asked at most once a second, each song
// once; answers, found or not, are kept for the songs that come again.
class CoverLookup : public QObject {
    Q_OBJECT
public:
    struct Hosts {
        QString search = QStringLiteral("https://musicbrainz.org");  // "CoverLookupSearchHost"
        QString art = QStringLiteral("https://coverartarchive.org"); // "CoverLookupArtHost"
    };
    static constexpr int kGapMs = 1000; // between two requests to the services
    static constexpr int kAnswersKept = 256;
    static constexpr qsizetype kMaxSearchBytes = 1024 * 1024;

    explicit CoverLookup(QObject* parent = nullptr);
    ~CoverLookup() override;
    void SetHosts(const Hosts& hosts) { m_hosts = hosts; }
    void SetLimits(const CoverFetcher::Limits& limits);
    // Asked at a song's turn: false when the song needs no look-up any more
    // (a better picture came meanwhile). Without it every song is looked up.
    void SetStillWanted(std::function<bool(const QString& song)> wanted) { m_stillWanted = std::move(wanted); }

    // Looks up the cover of `artist` and `title` for `song`. A song without
    // an artist or a title is not looked up.
    void Look(const QString& song, const QString& artist, const QString& title);
    // The songs waiting for their turn are dropped (the recording ended).
    void Clear();
    int Waiting() const { return int(m_queue.size()); }

    // The search's address for `artist` and `title`, quoted as the search
    // syntax asks.
    static QUrl SearchUrl(const QString& host, const QString& artist, const QString& title);
    // The first release named by a recording search's answer; "" when none
    // (or when the answer is not one, or names an id of another form).
    static QString ReleaseOf(const QByteArray& answer);

signals:
    void found(const QString& song, const CoverPicture& picture);
    void notFound(const QString& song, const QString& why);

private:
    struct Wish {
        QString song, key;
        QString artist, title;
    };
    void next();
    void searched(const Wish& wish, const QByteArray& body, const QString& error);
    void answer(const CoverResult& result);

    Hosts m_hosts;
    CoverFetcher m_fetcher;
    QNetworkAccessManager* m_network = nullptr;
    std::function<bool(const QString&)> m_stillWanted;
    std::deque<Wish> m_queue;
    bool m_busy = false; // a song's search or picture is on its way
    QTimer m_turn;
    QElapsedTimer m_sinceLast;
    QHash<QString, CoverResult> m_answers;
    std::deque<QString> m_answerOrder;
    Wish m_current; // the song whose look-up is under way
    int m_timeoutMs = 10000;
};
