// The search windows against a local web server: the directory's pages,
// Radio Browser's answers (good, broken, empty, failing, stalled), adding
// stations to the panel, the preset search and the click count.
#include "panelfixture.h"
#include "sources/pagereduce.h"
#include "sources/radiobrowserclicks.h"
#include "tests/sources/scriptedserver.h"
#include "tests/support/widgets/appfont.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/frmaddstation.h"
#include "ui/search/frmbrowser.h"
#include "ui/search/frmlocalsearch.h"
#include "ui/search/pageview.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <optional>
#include <zlib.h>

namespace {

ScriptedReply http(const QByteArray& status, const QByteArray& type, const QByteArray& body)
{
    return {{"HTTP/1.1 " + status + "\r\nContent-Type: " + type +
             "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body}};
}

const QByteArray kStations = R"([
  {"stationuuid":"uuid-b","name":"Beta Jazz","url_resolved":"http://127.0.0.1:1/beta","codec":"MP3","bitrate":64,
   "countrycode":"FR","tags":"jazz","votes":30},
  {"stationuuid":"uuid-a","name":"Alpha/Rock\nFM","url_resolved":"http://127.0.0.1:1/alpha","codec":"AAC","bitrate":320,
   "countrycode":"DE","tags":"rock","votes":10}])";

// `data` `repeat` times over, gzip-packed piece by piece: no copy of the whole
// is ever held.
QByteArray gzipOf(const QByteArray& data, qint64 repeat = 1)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out;
    char buffer[1 << 16];
    for (qint64 i = 0; i < repeat; ++i) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        z.avail_in = uInt(data.size());
        const int flush = i + 1 == repeat ? Z_FINISH : Z_NO_FLUSH;
        int result;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            result = deflate(&z, flush);
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    }
    deflateEnd(&z);
    return out;
}

ScriptedReply gzipped(const QByteArray& type, const QByteArray& packed)
{
    return {{"HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Encoding: gzip\r\nContent-Length: " +
             QByteArray::number(packed.size()) + "\r\nConnection: close\r\n\r\n" + packed}};
}

QByteArray pathOf(const QByteArray& request)
{
    return request.split(' ').value(1);
}

} // namespace

// The search window's controls, found by their names.
struct BrowserControls {
    explicit BrowserControls(const QWidget* w)
        : brwWebBrowser(Control<PageView>(w, "brwWebBrowser")), lstResults(Control<QTableWidget>(w, "lstResults")),
          lblStatus(Control<QLabel>(w, "lblStatus")), prgBusy(Control<QProgressBar>(w, "prgBusy")),
          SearchTypeCombo(Control<QComboBox>(w, "SearchTypeCombo")), GenreCombo(Control<QComboBox>(w, "GenreCombo")),
          txtKeyword(Control<QLineEdit>(w, "txtKeyword")), txtBitrate(Control<QLineEdit>(w, "txtBitrate")),
          cmdFind(Control<QToolButton>(w, "cmdFind")), cmdStop(Control<QToolButton>(w, "cmdStop")),
          cmdAddStation(Control<QPushButton>(w, "cmdAddStation")), Frame1(Control<QGroupBox>(w, "Frame1"))
    {
    }
    PageView* brwWebBrowser;
    QTableWidget* lstResults;
    QLabel* lblStatus;
    QProgressBar* prgBusy;
    QComboBox* SearchTypeCombo;
    QComboBox* GenreCombo;
    QLineEdit* txtKeyword;
    QLineEdit* txtBitrate;
    QToolButton* cmdFind;
    QToolButton* cmdStop;
    QPushButton* cmdAddStation;
    QGroupBox* Frame1;
};

class SearchWindows : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        server = std::make_unique<ScriptedServer>([this](const QByteArray& request) {
            const QByteArray path = pathOf(request);
            if (path.startsWith("/directory/?s=huge"))
                return http("200 OK", "text/html", "<p>huge</p>" + QByteArray(10 << 20, 'x').replace(999, 1, " "));
            if (path.startsWith("/directory/?s=hostile"))
                return pageAnswer;
            if (path.startsWith("/directory/stall"))
                return ScriptedReply{{}, true, true};
            if (path.startsWith("/directory/"))
                return http("200 OK", "text/html; charset=windows-1252",
                            "<html><script>document.write('hidden')</script><p>Caf\xe9 results<p><a "
                            "href=\"/sbin/tunein-station.pls?id=7\">Play</a><b>broken <i>tags</html>");
            if (path.startsWith("/json/stations/search"))
                return stationAnswer;
            return http("404 Not Found", "text/plain", "no");
        });
        ASSERT_GT(server->port(), 0);
        SetDirectoryHost(server->base());
        SetRadioBrowserHost(server->base() + "/");
        deps.messages = &messages;
        deps.appendStation = [this](const QString& name, const QString& url) { added.append({name, url}); };
        deps.dropOnStationList = [this](const QString& address) { dropped.append(address); };
        deps.stationsFolder = home.file("Stations/");
        deps.presetsFolder = home.file("Presets/");
    }

    frmBrowser& browser()
    {
        if (!window)
            window = std::make_unique<frmBrowser>(deps);
        return *window;
    }

    BrowserControls ui() const { return BrowserControls(window.get()); }

    bool searchRadioBrowser()
    {
        browser().SetSearchType(frmBrowser::RadioBrowser);
        const int before = server->requests.size();
        ui().cmdFind->click();
        return WaitUntil([&] { return server->requests.size() > before && !window->Searching(); });
    }

    QStringList column(int col) const
    {
        QStringList out;
        for (int r = 0; r < ui().lstResults->rowCount(); ++r)
            out << ui().lstResults->item(r, col)->text();
        return out;
    }

    std::unique_ptr<ScriptedServer> server;
    ScriptedReply stationAnswer = http("200 OK", "application/json", kStations);
    ScriptedReply pageAnswer;
    SearchDeps deps;
    QList<QPair<QString, QString>> added;
    QStringList dropped;
    std::unique_ptr<frmBrowser> window;
};

TEST_F(SearchWindows, TheDirectoryPageIsFetchedAsTypedAndShownWithoutScripts)
{
    frmBrowser& w = browser();
    const BrowserControls ctl(&w);
    EXPECT_EQ(w.windowTitle(), "ShoutCast Searcher");
    EXPECT_EQ(ctl.brwWebBrowser->pageUrl().toString(), "about:blank");
    EXPECT_TRUE(ctl.txtKeyword->isEnabled());
    EXPECT_FALSE(ctl.GenreCombo->isEnabled());
    ctl.txtKeyword->setText("rock");
    ctl.txtBitrate->setText("128");
    ctl.cmdFind->click();
    EXPECT_TRUE(ctl.prgBusy->isVisibleTo(&w));
    ASSERT_TRUE(WaitUntil([&] { return ctl.brwWebBrowser->toPlainText().contains("results"); }));
    EXPECT_EQ(ctl.lblStatus->text(), "Done.");
    EXPECT_FALSE(ctl.prgBusy->isVisibleTo(&w));
    EXPECT_TRUE(ctl.brwWebBrowser->toPlainText().contains(QString::fromUtf8("Café results")));
    EXPECT_FALSE(ctl.brwWebBrowser->toPlainText().contains("hidden"));
    EXPECT_TRUE(server->requests.last().startsWith("GET /directory/?s=rock&numresult=20&maxbitrate=128&startat=0 "));
    EXPECT_TRUE(server->requests.last().contains("User-Agent: Tonquill/")) << server->requests.last().constData();
    // A link on the page stands for its full address (what a drag carries).
    EXPECT_EQ(ctl.brwWebBrowser->resolve("/sbin/tunein-station.pls?id=7").toString(),
              server->base() + "/sbin/tunein-station.pls?id=7");

    // A clicked link is followed in the view, one to a playlist goes to the
    // station list, one that is not a web address goes nowhere.
    emit ctl.brwWebBrowser->anchorClicked(QUrl("javascript:go()"));
    emit ctl.brwWebBrowser->anchorClicked(QUrl("/sbin/tunein-station.pls?id=7"));
    EXPECT_EQ(dropped, QStringList{server->base() + "/sbin/tunein-station.pls?id=7"});
    emit ctl.brwWebBrowser->anchorClicked(QUrl("/sbin/more?id=7"));
    ASSERT_TRUE(WaitUntil([&] { return server->requests.size() == 2 && !ctl.brwWebBrowser->loading(); }));
    EXPECT_TRUE(server->requests.last().startsWith("GET /sbin/more?id=7 "));
    EXPECT_EQ(ctl.lblStatus->text(), "The server answered with error 404.");
    EXPECT_EQ(ctl.brwWebBrowser->toPlainText(), "no");

    // A huge page is cut and what came is shown. The last page (an error
    // page too) goes at once when the next search starts.
    ctl.txtKeyword->setText("huge");
    ctl.cmdFind->click();
    EXPECT_EQ(ctl.brwWebBrowser->toPlainText(), "");
    ASSERT_TRUE(WaitUntil([&] { return ctl.brwWebBrowser->toPlainText().startsWith("huge"); }));
    EXPECT_EQ(ctl.lblStatus->text(), "The answer was too large; only its beginning was read.");

    ctl.SearchTypeCombo->setCurrentIndex(frmBrowser::Genre);
    EXPECT_FALSE(ctl.txtKeyword->isEnabled());
    EXPECT_TRUE(ctl.GenreCombo->isEnabled());
    ctl.GenreCombo->setCurrentIndex(26);
    ctl.cmdFind->click();
    ASSERT_TRUE(WaitUntil([&] { return server->requests.size() == 4 && !ctl.brwWebBrowser->loading(); }));
    EXPECT_TRUE(server->requests.last().startsWith("GET /directory/?sgenre=Acid%20Jazz&maxbitrate=128&startat=0 "));
}

// Station names are whole in their rows at any font size.
TEST_F(SearchWindows, ResultRowsAreAsTallAsTheirTextAtLargeFonts)
{
    for (const int points : {10, 16, 24}) {
        SCOPED_TRACE(points);
        const ScopedApplicationFont size(points);
        window.reset();
        ASSERT_TRUE(searchRadioBrowser());
        const QFontMetrics metrics(ui().lstResults->font());
        ASSERT_GT(ui().lstResults->rowCount(), 0);
        for (int r = 0; r < ui().lstResults->rowCount(); ++r)
            EXPECT_GE(ui().lstResults->rowHeight(r), metrics.lineSpacing() + 2) << r;
    }
}

TEST_F(SearchWindows, RadioBrowserResultsAreSortableAndAddedAsPlaylistFiles)
{
    ASSERT_TRUE(searchRadioBrowser());
    frmBrowser& w = *window;
    const BrowserControls ctl(&w);
    // Every column is in view: the short ones fit their contents, the name
    // and the tags share the rest.
    w.show();
    QHeaderView* header = ctl.lstResults->horizontalHeader();
    int total = 0;
    for (int c = 0; c < header->count(); ++c) {
        total += header->sectionSize(c);
        if (c == frmBrowser::ColName || c == frmBrowser::ColTags)
            continue;
        const QFontMetrics metrics(ctl.lstResults->font());
        for (int r = 0; r < ctl.lstResults->rowCount(); ++r)
            EXPECT_GT(header->sectionSize(c), metrics.horizontalAdvance(ctl.lstResults->item(r, c)->text())) << c;
    }
    EXPECT_LE(total, ctl.lstResults->viewport()->width());
    EXPECT_GT(header->sectionSize(frmBrowser::ColName), header->sectionSize(frmBrowser::ColCodec));
    EXPECT_TRUE(server->requests.last().startsWith(
        "GET /json/stations/search?name=World&order=votes&reverse=true&limit=100&hidebroken=true "));
    EXPECT_EQ(ctl.lblStatus->text(), "2 stations found.");
    EXPECT_EQ(column(frmBrowser::ColName), QStringList({"Beta Jazz", "Alpha/Rock FM"}));
    ctl.lstResults->sortByColumn(frmBrowser::ColBitrate, Qt::DescendingOrder);
    EXPECT_EQ(column(frmBrowser::ColBitrate), QStringList({"320", "64"}));

    w.lstResults_DblClick(0);
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0].first, "Alpha/Rock FM");
    EXPECT_EQ(added[0].second, deps.stationsFolder + "AlphaRock FM.pls");
    EXPECT_EQ(StationUuidOfPlaylist(added[0].second), "uuid-a");

    // The panel takes the file like any playlist: its title comes from it.
    open();
    panel->AppendStation(added[0].first, added[0].second);
    Control<QTreeWidget>(panel.get(), "lstViewSongList")
        ->setCurrentItem(Control<QTreeWidget>(panel.get(), "lstViewSongList")->topLevelItem(panel->StationCount() - 1));
    panel->lstViewSongList_DblClick();
    ASSERT_TRUE(WaitUntil([&] { return Control<QLineEdit>(panel.get(), "txtStreamTitle")->text() == "Alpha/Rock FM"; }))
        << messages.messages.join('\n').toStdString();

    ctl.lstResults->selectAll();
    ctl.cmdAddStation->click();
    ASSERT_TRUE(WaitUntil([&] { return !w.Adding(); }));
    ASSERT_EQ(added.size(), 3);
    EXPECT_EQ(added[1].first, "Alpha/Rock FM");
    EXPECT_EQ(added[2].first, "Beta Jazz");

    // Playing such a file counts a click; any other playlist does not.
    RadioBrowserClicks clicks;
    EXPECT_FALSE(clicks.Count(panelDeps.stationFile));
    EXPECT_FALSE(clicks.Count(localUrl("x.pls")));
    ASSERT_TRUE(clicks.Count(added[2].second));
    ASSERT_TRUE(WaitUntil([&] { return server->requests.last().startsWith("GET /json/url/uuid-b "); }));
    EXPECT_TRUE(server->requests.last().contains("User-Agent: Tonquill/"));
}

TEST_F(SearchWindows, FailedAnswersLeaveAClearStatusAndAnEmptyTable)
{
    struct Case {
        ScriptedReply reply;
        const char* status;
    };
    const QList<Case> cases{
        {http("200 OK", "application/json", "[{\"name\":\"x\","), "The directory's answer could not be read"},
        {http("200 OK", "application/json", "[]"), "0 stations found."},
        {http("500 Internal Server Error", "text/html", "<h1>oops</h1>"), "The server answered with error 500."},
        {http("200 OK", "application/json", "{\"error\":1}"), "The directory's answer is not a list of stations."},
    };
    for (const Case& c : cases) {
        stationAnswer = c.reply;
        ASSERT_TRUE(searchRadioBrowser()) << c.status;
        EXPECT_TRUE(ui().lblStatus->text().startsWith(c.status)) << ui().lblStatus->text().toStdString();
        EXPECT_EQ(ui().lstResults->rowCount(), 0);
        EXPECT_FALSE(ui().cmdStop->isEnabled());
    }
}

TEST_F(SearchWindows, AStalledServerCanBeCancelledOrTimesOutWhileTheWindowWorks)
{
    stationAnswer.silent = true;
    frmBrowser& w = browser();
    const BrowserControls ctl(&w);
    ctl.SearchTypeCombo->setCurrentIndex(frmBrowser::RadioBrowser);
    ctl.cmdFind->click();
    ASSERT_TRUE(WaitUntil([&] { return server->requests.size() == 1; }));
    EXPECT_TRUE(ctl.lblStatus->text().startsWith("Searching 127.0.0.1")) << ctl.lblStatus->text().toStdString();
    EXPECT_TRUE(ctl.cmdStop->isEnabled());
    // The window goes on answering: the directory page loads meanwhile.
    ctl.SearchTypeCombo->setCurrentIndex(frmBrowser::Keyword);
    ctl.cmdFind->click();
    ASSERT_TRUE(WaitUntil([&] { return ctl.brwWebBrowser->toPlainText().contains("results"); }));
    EXPECT_TRUE(w.RadioBrowserFetch()->running());
    ctl.cmdStop->click();
    EXPECT_FALSE(w.RadioBrowserFetch()->running());
    EXPECT_EQ(ctl.lblStatus->text(), "The search was cancelled.");
    EXPECT_FALSE(ctl.prgBusy->isVisibleTo(&w));

    w.RadioBrowserFetch()->setStallMs(200);
    ctl.SearchTypeCombo->setCurrentIndex(frmBrowser::RadioBrowser);
    ctl.cmdFind->click();
    ASSERT_TRUE(WaitUntil([&] { return !w.RadioBrowserFetch()->running(); }));
    EXPECT_EQ(ctl.lblStatus->text(), "The server did not answer in time; the search was stopped.");

    // Closed for good in the middle of a search and a page load.
    ctl.cmdFind->click();
    emit ctl.brwWebBrowser->anchorClicked(QUrl("/directory/stall"));
    ASSERT_TRUE(WaitUntil([&] { return server->requests.size() == 5; }));
    window.reset();
    RunPendingEvents();
}

TEST_F(SearchWindows, PresetsAreFoundByTitleAndAddedInListOrder)
{
    const QString folder = deps.presetsFolder;
    ASSERT_TRUE(QDir().mkpath(folder + "folder.tvp"));
    const auto preset = [&](const QString& file, const QByteArray& title) {
        ASSERT_TRUE(WriteAll(folder + file, title + "\r\nhttp://127.0.0.1:1/" + title.toLower().replace(' ', '_') +
                                                ".pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    };
    preset("a.tvp", "WORLD MUSIC");
    preset("b.tvp", "Jazz");
    preset("c.tvp", "Worldwide Beats");
    preset("d.txt", "World Text");
    ASSERT_TRUE(WriteAll(folder + "e.tvp", "Broken World\r\nnot a playlist\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));

    frmLocalSearch w(deps);
    auto* list = Control<QListWidget>(&w, "FilesList");
    auto* keyword = Control<QLineEdit>(&w, "txtKeyword");
    auto* find = Control<QToolButton>(&w, "cmdFind");
    EXPECT_EQ(w.windowTitle(), "Local Preset Searcher");
    EXPECT_EQ(list->count(), 0);
    keyword->setText("world");
    find->click();
    // The broken preset says what is wrong with it; the search goes on.
    EXPECT_EQ(messages.messages.size(), 1);
    // Listed by title, in file order; the file is the tool tip.
    const QStringList found{folder + "a.tvp", folder + "c.tvp", folder + "e.tvp"};
    QStringList listed, tips;
    for (int i = 0; i < list->count(); ++i) {
        listed << list->item(i)->text();
        tips << list->item(i)->toolTip();
    }
    EXPECT_EQ(listed, QStringList({"WORLD MUSIC", "Worldwide Beats", "Broken World"}));
    EXPECT_EQ(tips, found);

    keyword->clear();
    find->click();
    EXPECT_EQ(list->count(), 4);

    keyword->setText("world");
    find->click();
    list->item(1)->setSelected(true);
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    Control<QPushButton>(&w, "cmdAdd")->click();
    ASSERT_EQ(added.size(), 3);
    EXPECT_EQ(added[0], qMakePair(QString("WORLD MUSIC"), QString("http://127.0.0.1:1/world_music.pls")));
    EXPECT_EQ(added[1].first, "Worldwide Beats");
    EXPECT_EQ(added[2].first, "Broken World");
    // The program's own configuration is left as it was.
    EXPECT_EQ(config.sRecordingTitle, "Test Station");
}

// The search looks in the presets folder the panel saves to; a search that
// finds nothing names that folder.
TEST_F(SearchWindows, AnEmptyResultNamesTheFolderSearched)
{
    deps.presetsFolder.clear();
    const QString folder = ProgramFolders::PresetsFolder(false);
    ASSERT_EQ(folder, QDir(home.path()).filePath("Presets") + "/");
    const struct {
        const char* preset; // title of the one preset in the folder; null: no folder
        const char* keyword;
        QString result; // "": the line is hidden
    } rows[] = {
        {nullptr, "world", "There are no presets in " + folder + "."},
        {"Jazz", "world", "No preset in " + folder + " has a station title containing \"world\"."},
        {"World Beats", "world", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.preset ? row.preset : "no folder");
        if (row.preset)
            ASSERT_TRUE(WriteAll(ProgramFolders::PresetsFolder(true) + "one.tvp",
                                 QByteArray(row.preset) +
                                     "\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
        frmLocalSearch w(deps);
        Control<QLineEdit>(&w, "txtKeyword")->setText(row.keyword);
        Control<QToolButton>(&w, "cmdFind")->click();
        const auto* list = Control<QListWidget>(&w, "FilesList");
        const auto* result = Control<QLabel>(&w, "lblResult");
        EXPECT_EQ(list->count(), row.result.isEmpty() ? 1 : 0);
        EXPECT_EQ(result->isHidden(), row.result.isEmpty());
        if (!row.result.isEmpty())
            EXPECT_EQ(result->text(), row.result);
    }
    EXPECT_TRUE(messages.messages.isEmpty());
}

// The options keep to the window's width, the results take all the height
// the options and the status line leave, at any window size.
TEST_F(SearchWindows, ResizingKeepsTheGroupAndTheResultsToTheWindow)
{
    frmLocalSearch presets(deps);
    presets.show();
    browser().show();
    const BrowserControls ctl = ui();
    const struct {
        QWidget* window;
        QWidget* group;
        QWidget* results;
    } rows[] = {
        {window.get(), ctl.Frame1, ctl.brwWebBrowser},
        {&presets, Control<QGroupBox>(&presets, "Frame1"), Control<QListWidget>(&presets, "FilesList")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.window->objectName().toStdString());
        std::optional<int> rest;
        for (const QSize size : {QSize(800, 600), QSize(900, 320), QSize(1200, 900)}) {
            row.window->resize(size);
            ASSERT_EQ(row.window->size(), size);
            const QRect group = row.group->geometry(), results = row.results->geometry();
            EXPECT_TRUE(row.window->rect().contains(group));
            EXPECT_TRUE(row.window->rect().contains(results));
            EXPECT_GT(group.width(), size.width() * 9 / 10);
            EXPECT_EQ(results.left(), group.left());
            EXPECT_EQ(results.width(), group.width());
            EXPECT_GT(results.top(), group.bottom());
            if (!rest)
                rest = size.height() - results.height();
            EXPECT_EQ(size.height() - results.height(), *rest);
        }
    }
}

// The real add-station dialog: Cancel leaves its tag empty and the caller
// adds nothing; OK sets the tag to "1" and the station is added.
TEST_F(SearchWindows, TheAddStationDialogAddsOnlyAfterOK)
{
    panelDeps.stationDialog = nullptr;
    open();
    const int before = panel->StationCount();
    for (const bool ok : {false, true}) {
        QString tag = QStringLiteral("unset");
        QTimer::singleShot(0, panel.get(), [&] {
            frmAddStation* dialog = panel->findChild<frmAddStation*>();
            ASSERT_NE(dialog, nullptr);
            ok ? dialog->OKCommand_Click() : dialog->CancelCommand_Click();
            tag = Control<QPushButton>(dialog, "OKCommand")->property("Tag").toString();
        });
        panel->cmdAddtoList_Click();
        EXPECT_EQ(tag, ok ? "1" : "");
        EXPECT_EQ(panel->StationCount(), before + (ok ? 1 : 0));
    }
    EXPECT_EQ(panel->StationName(before), "Station Name");
    EXPECT_EQ(panel->StationUrl(before), frmAddStation::kDefaultUrl);
}

TEST_F(SearchWindows, HostilePagesAreShownReducedAndDecoded)
{
    struct Case {
        const char* what;
        ScriptedReply reply;
        QString shows;
        bool cut;
        const char* status = "Done.";
    };
    QByteArray lists;
    for (int i = 0; i < 60000; ++i)
        lists += "<ul><li>i";
    // UTF-8 with one stray Windows-1252 quote, no charset named.
    const QByteArray utf8 = "<p>Caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac <a href=/x.pls>Play</a> \x93q\x94";
    const QList<Case> cases{
        {"UTF-8 without a charset", http("200 OK", "text/html", utf8), QString::fromUtf8("Café 日本 Play “q”"), false},
        {"a gzip-encoded page", gzipped("text/html", gzipOf(utf8)), QString::fromUtf8("Café 日本 Play"), false},
        {"a page the network layer leaves packed",
         {{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: x-gzip\r\n\r\n" + gzipOf(utf8)}},
         QString::fromUtf8("Café 日本 Play"),
         false},
        {"60,000 nested lists", http("200 OK", "text/html", lists), QString::fromUtf8("• i"), true,
         "The answer was too large; only its beginning was read."},
        {"200 huge pictures",
         http("200 OK", "text/html", QByteArray("<img width=100000 height=100000 src=/p.png>").repeated(200) + "end"),
         "end", false},
    };
    frmBrowser& w = browser();
    const BrowserControls ctl(&w);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pageAnswer = c.reply;
        ctl.brwWebBrowser->clear();
        ctl.txtKeyword->setText("hostile");
        ctl.cmdFind->click();
        ASSERT_TRUE(
            WaitUntil([&] { return !ctl.brwWebBrowser->loading() && !ctl.brwWebBrowser->toPlainText().isEmpty(); }));
        EXPECT_EQ(ctl.lblStatus->text(), c.status);
        const QString text = ctl.brwWebBrowser->toPlainText();
        EXPECT_TRUE(text.startsWith(c.shows)) << text.left(100).toStdString();
        EXPECT_EQ(text.endsWith(PageCutNote()), c.cut);
        EXPECT_LE(ctl.brwWebBrowser->document()->blockCount(), PageLimits::kMaxLines + 1);
    }
}

TEST_F(SearchWindows, BrokenAnswersSayWhatHappened)
{
    struct Case {
        const char* what;
        ScriptedReply reply;
        const char* status;
    };
    const QByteArray json = "[{\"name\":\"x\",\"url_resolved\":\"http://127.0.0.1:1/x\"}]";
    const QList<Case> cases{
        {"cut short",
         {{"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 5000\r\n\r\n", "[{\"name\":"}},
         "The directory's answer was cut short"},
        {"a gzip bomb", gzipped("application/json", gzipOf(QByteArray(1 << 20, ' '), 64)),
         "The directory's answer could not be unpacked"},
        {"larger than the bound", http("200 OK", "application/json", "[" + QByteArray(40 << 20, ' ') + "]"),
         "The directory's answer is larger than 32 MiB"},
        {"a web page", http("200 OK", "text/html", "<html><body>Maintenance</body></html>"),
         "The directory's answer could not be read: it is not JSON"},
        {"gzip-encoded JSON", gzipped("application/json", gzipOf(json)), "1 station found."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        stationAnswer = c.reply;
        ASSERT_TRUE(searchRadioBrowser());
        EXPECT_TRUE(ui().lblStatus->text().startsWith(c.status)) << ui().lblStatus->text().toStdString();
        EXPECT_FALSE(ui().lblStatus->text().contains("error 200"));
        EXPECT_TRUE(messages.messages.isEmpty());
    }
}

TEST_F(SearchWindows, ManyStationsAreAddedInBatchesWithOneMessageForAllFailures)
{
    // 999 files of other stations already hold every name "Same" can get.
    ASSERT_TRUE(QDir().mkpath(deps.stationsFolder));
    ASSERT_TRUE(WriteAll(deps.stationsFolder + "Same.pls", "[playlist]"));
    for (int n = 2; n <= 999; ++n)
        ASSERT_TRUE(WriteAll(deps.stationsFolder + QString("Same (%1).pls").arg(n), "[playlist]"));
    QByteArray json = "[";
    for (int i = 0; i < 312; ++i) {
        const QByteArray name = i < 12 ? "Same" : "S" + QByteArray::number(i);
        json += QByteArray(i ? "," : "") + "{\"stationuuid\":\"u" + QByteArray::number(i) + "\",\"name\":\"" + name +
                "\",\"url_resolved\":\"http://127.0.0.1:1/" + QByteArray::number(i) +
                "\",\"votes\":" + QByteArray::number(1000 - i) + "}";
    }
    stationAnswer = http("200 OK", "application/json", json + "]");
    ASSERT_TRUE(searchRadioBrowser());
    frmBrowser& w = *window;
    const BrowserControls ctl(&w);
    ASSERT_EQ(ctl.lstResults->rowCount(), 312);
    ctl.lstResults->selectAll();
    ctl.cmdAddStation->click();
    // The window works on while the files are written.
    EXPECT_TRUE(w.Adding());
    EXPECT_TRUE(ctl.cmdStop->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !w.Adding(); }, 60000));
    EXPECT_EQ(added.size(), 300);
    EXPECT_EQ(ctl.lblStatus->text(), "300 stations were added to the Station List.");
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_TRUE(messages.messages[0].startsWith("12 of 312 stations could not be added:\nSame: No free file name"))
        << messages.messages[0].toStdString();
    EXPECT_TRUE(messages.messages[0].endsWith("... and 2 more."));

    // Stop ends the adding where it is.
    added.clear();
    ctl.cmdAddStation->click();
    ASSERT_TRUE(w.Adding());
    ctl.cmdStop->click();
    EXPECT_FALSE(w.Adding());
    EXPECT_LT(added.size(), 300);
    EXPECT_TRUE(ctl.lblStatus->text().endsWith("Adding was stopped."));
}
