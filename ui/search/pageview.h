#pragma once

#include <QPoint>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class SearchFetch;

// The search window's small web view: fetches a page, shows its HTML, runs
// no scripts, follows clicked links itself, and lets a link be dragged out
// (onto the panel's station list) as its full address.
class PageView : public QTextBrowser {
    Q_OBJECT
public:
    PageView(QNetworkAccessManager* network, QWidget* parent = nullptr);

    // "about:blank" shows an empty page without asking the network.
    void Navigate(const QUrl& url);
    void Stop();
    bool loading() const;
    QUrl pageUrl() const { return m_pageUrl; }
    SearchFetch* fetch() const { return m_fetch; }
    // The address a link of the page stands for, resolved against the page.
    QUrl resolve(const QString& href) const;

signals:
    void loadStarted(const QUrl& url);
    // A link to a playlist (".pls" or ".m3u" in its address) was clicked.
    void playlistClicked(const QUrl& url);
    // The status line's text for the finished (or stopped) load.
    void loadFinished(bool ok, const QString& status);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QVariant loadResource(int type, const QUrl& name) override;

private:
    SearchFetch* m_fetch;
    QUrl m_pageUrl;
    QPoint m_pressAt;
    QString m_pressedHref;
};
