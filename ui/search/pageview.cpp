#include "ui/search/pageview.h"

#include "sources/pagereduce.h"
#include "sources/searchfetch.h"
#include "sources/stationsearch.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

PageView::PageView(QNetworkAccessManager* network, QWidget* parent)
    : QTextBrowser(parent), m_fetch(new SearchFetch(network, kMaxPageBytes, this))
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = resolve(link.toString());
        const QString scheme = target.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return;
        // A station's playlist is for the station list, not for reading.
        const QString text = target.toString();
        if (text.contains(QLatin1String(".pls"), Qt::CaseInsensitive) ||
            text.contains(QLatin1String(".m3u"), Qt::CaseInsensitive))
            emit playlistClicked(target);
        else
            Navigate(target);
    });
    connect(m_fetch, &SearchFetch::finished, this, [this](const SearchFetch::Result& r) {
        if (r.outcome == SearchFetch::Cancelled) {
            emit loadFinished(false, SearchFetch::Describe(r));
            return;
        }
        if (!r.url.isEmpty())
            m_pageUrl = r.url;
        // Whatever came back is shown; a failure without a page gets one.
        if (!r.body.isEmpty()) {
            // Only what the window needs is laid out: a page's own
            // structure and sizes could hold the window for minutes.
            setHtml(ReducePage(PageHtml(r.body, r.contentType)));
        } else if (r.outcome != SearchFetch::Done) {
            setHtml(tr("<h3>The page could not be shown</h3><p>%1</p><p>%2</p>")
                        .arg(SearchFetch::Describe(r).toHtmlEscaped(), m_pageUrl.toString().toHtmlEscaped()));
        } else {
            clear();
        }
        emit loadFinished(r.outcome == SearchFetch::Done, SearchFetch::Describe(r));
    });
}

void PageView::Navigate(const QUrl& url)
{
    if (url.toString() == QLatin1String("about:blank")) {
        m_fetch->cancel();
        m_pageUrl = url;
        clear();
        return;
    }
    m_pageUrl = url;
    // The last page (or the error shown for it) goes as the new one is asked for.
    clear();
    m_fetch->start(url);
    emit loadStarted(url);
}

void PageView::Stop()
{
    m_fetch->cancel();
}

bool PageView::loading() const
{
    return m_fetch->running();
}

QUrl PageView::resolve(const QString& href) const
{
    return m_pageUrl.resolved(QUrl(href.trimmed(), QUrl::TolerantMode));
}

// Pictures and style sheets of the page are not fetched.
QVariant PageView::loadResource(int, const QUrl&)
{
    return QVariant();
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    m_pressedHref.clear();
    if (event->button() == Qt::LeftButton) {
        m_pressAt = event->position().toPoint();
        m_pressedHref = anchorAt(m_pressAt);
    }
    QTextBrowser::mousePressEvent(event);
}

void PageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressedHref.isEmpty() && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        const QUrl target = resolve(m_pressedHref);
        m_pressedHref.clear();
        auto* data = new QMimeData;
        data->setText(target.toString());
        data->setUrls({target});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        return;
    }
    QTextBrowser::mouseMoveEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressedHref.clear();
    QTextBrowser::mouseReleaseEvent(event);
}
