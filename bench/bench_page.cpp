// How long a hostile directory page holds the search window: each page is
// decoded, reduced and handed to the window's page view, which is then
// painted; after that the event loop runs with a 1 ms heartbeat until the
// view's document is laid out, and the longest gap between two beats is
// the longest the window could not answer. Prints one line per page:
//   NAME reduce-ms first-paint-ms longest-hold-ms blocks
// Exits 1 when a page held the window for more than 200 ms.
//
//   QT_QPA_PLATFORM=offscreen bench_page
#include "sources/pagereduce.h"
#include "sources/stationsearch.h"
#include "ui/search/pageview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

namespace {

// The pages that held the window for 30 s to minutes before, at the size
// bound of a fetched page.
QList<QPair<const char*, QByteArray>> pages()
{
    QByteArray table;
    for (int i = 0; i < 4000; ++i)
        table += "<tr><td><a href=\"/sbin/tunein-station.pls?id=" + QByteArray::number(i) + "\">Station " +
                 QByteArray::number(i) + "</a></td><td>128</td><td>MP3</td><td>Jazz, Pop</td></tr>";
    return {
        {"pictures-200", QByteArrayLiteral("<img width=100000 height=100000 src=x.png>").repeated(200)},
        {"nested-lists-60000", QByteArrayLiteral("<ul><li>i").repeated(60000)},
        {"nested-tables-20000", QByteArrayLiteral("<table><tr><td>c").repeated(20000)},
        {"nested-quotes-40000", QByteArrayLiteral("<blockquote>q").repeated(40000)},
        {"word-520k", "<p>" + QByteArray(520 * 1024, 'w') + "</p>"},
        {"text-512k", QByteArrayLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit. ")
                          .repeated(9000)
                          .left(kMaxPageBytes)},
        {"result-table-4000", "<table>" + table.left(kMaxPageBytes - 20) + "</table>"},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QNetworkAccessManager network;
    PageView view(&network);
    view.resize(740, 420);
    view.show();
    int status = 0;
    for (const auto& [name, body] : pages()) {
        QElapsedTimer clock;
        clock.start();
        const QString html = ReducePage(PageHtml(body.left(kMaxPageBytes), "text/html"));
        const qint64 reduceMs = clock.elapsed();
        view.setHtml(html);
        view.grab();
        const qint64 paintMs = clock.elapsed();

        // The rest of the layout runs in the event loop; a beat that comes
        // late tells how long the window was held.
        qint64 longest = paintMs;
        QElapsedTimer beat;
        beat.start();
        bool scrolled = false;
        QTimer heartbeat;
        heartbeat.setInterval(1);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            longest = qMax(longest, beat.restart());
            // Half way the user goes to the page's end.
            if (!scrolled && clock.elapsed() > 750) {
                scrolled = true;
                view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
            }
            view.viewport()->update();
            if (clock.elapsed() > 1500)
                app.quit();
        });
        heartbeat.start();
        app.exec();
        heartbeat.stop();
        std::printf("%s %lld %lld %lld %d\n", name, static_cast<long long>(reduceMs), static_cast<long long>(paintMs),
                    static_cast<long long>(longest), view.document()->blockCount());
        std::fflush(stdout);
        if (longest > 200)
            status = 1;
    }
    return status;
}
