#include "history/historystore.h"
#include "tests/recorder/split/noiseframes.h"
#include "tests/support/eventwait.h"
#include "ui/library/frmlibrary.h"
#include "ui/library/librarymodel.h"
#include "ui/library/libraryscanner.h"
#include "ui/library/librarytidy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <vector>

namespace {

LibraryEntry entry(const QString& path, const QString& title, bool known, const QString& station = {}, qint64 size = 0)
{
    LibraryEntry e;
    e.path = path;
    e.title = title;
    e.known = known;
    e.station = station;
    e.size = size;
    e.date = QDateTime(QDate(2026, 12, 1), QTime(10, 0));
    return e;
}

QString writeMp3(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(Broadcast(80, 7));
    return path;
}

} // namespace

TEST(LibraryModel, DatabaseAndScannedFilesAreMergedEachOnce)
{
    LibraryModel model;
    model.BeginScan();
    model.Add({entry("/r/a.mp3", "A", true, "One"), entry("/r/b.mp3", "B", true, "Two")});
    // The scan finds a known file again (its size fills in) and a new one.
    model.Add({entry("/r/a.mp3", "from name", false, {}, 1234), entry("/r/c.mp3", "C", false),
               entry("/r/c.mp3", "C", false)});
    model.EndScan();
    ASSERT_EQ(model.rowCount(), 3);
    const LibraryEntry& a = model.At(model.RowOf("/r/a.mp3"));
    EXPECT_EQ(a.title, "A");
    EXPECT_EQ(a.station, "One");
    EXPECT_EQ(a.size, 1234);
    // The next scan no longer finds b: removed outside.
    model.BeginScan();
    model.Add({entry("/r/a.mp3", "A", true, "One"), entry("/r/c.mp3", "C", false)});
    model.EndScan();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.RowOf("/r/b.mp3"), -1);
    EXPECT_EQ(model.Stations(), QStringList{"One"});
}

TEST(LibraryFilter, StationSearchAndSorting)
{
    LibraryModel model;
    model.Add({entry("/r/x.mp3", "Zebra", true, "One", 30), entry("/r/y.mp3", "apple", true, "Two", 10),
               entry("/r/z.mp3", "Mango", true, "one", 20)});
    LibraryFilter filter;
    filter.setSourceModel(&model);
    struct Case {
        QString station, search;
        int rows;
    } cases[] = {{"", "", 3}, {"ONE", "", 2}, {"", "an", 1}, {"Two", "zeb", 0}, {"", "y.mp3", 1}};
    for (const Case& c : cases) {
        filter.SetStation(c.station);
        filter.SetSearch(c.search);
        EXPECT_EQ(filter.rowCount(), c.rows) << c.station.toStdString() << "/" << c.search.toStdString();
    }
    filter.SetStation({});
    filter.SetSearch({});
    filter.sort(LibraryModel::SizeColumn, Qt::AscendingOrder);
    EXPECT_EQ(filter.index(0, 0).data().toString(), "apple");
    filter.sort(LibraryModel::TitleColumn, Qt::AscendingOrder);
    EXPECT_EQ(filter.index(2, 0).data().toString(), "Zebra");
    filter.SetDays(QDate(2026, 12, 2), {});
    EXPECT_EQ(filter.rowCount(), 0);
}

TEST(LibraryTidy, RenameRefusesWithAReasonAndChangesNothing)
{
    QTemporaryDir dir;
    const QString a = writeMp3(dir, "Artist - Song.mp3");
    writeMp3(dir, "Other.mp3");
    const QByteArray bytes = [&a] {
        QFile f(a);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString tooLong = QString(300, QLatin1Char('x')) + ".mp3";
    struct Case {
        QString name;
        QString why; // "" when renamed; the start of the reason otherwise
    } cases[] = {
        {"", "A file needs a name."},
        {"   ", "A file needs a name."},
        {"x/y.mp3", "\"x/y.mp3\" is not a file name"},
        {"..", "\"..\" is not a file name"},
        {"Other.mp3", "A file named \"Other.mp3\" exists already."},
        {QString("a") + QChar(0) + "b.mp3", "A file name may not hold a zero character."},
        // The file system refuses a name longer than 255 bytes.
        {tooLong, "\"Artist - Song.mp3\" could not be renamed: "},
        {"Artist - Song.mp3", ""}, // its own name: nothing to do
        {"New Name.mp3", ""},
        {"  Trimmed.mp3 ", ""},
        {"other.mp3", ""}, // differs from "Other.mp3" in case only
    };
    QString current = a;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QString renamed;
        const QStringList before = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        const QString why = RenameRecording(current, c.name, &renamed);
        if (c.why.isEmpty()) {
            EXPECT_EQ(why, QString());
            EXPECT_EQ(QFileInfo(renamed).fileName(), c.name.trimmed());
            EXPECT_TRUE(QFile::exists(renamed));
            EXPECT_EQ(QFile::exists(current), renamed == current);
            current = renamed;
        } else {
            EXPECT_TRUE(why.startsWith(c.why)) << why.toStdString();
            // Nothing changed: the same files, the recording whole.
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), before);
        }
        QFile f(current);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
    }
}

TEST(LibraryTidy, TagIsWrittenAndReadBackAndNamesFillScannedRows)
{
    QTemporaryDir dir;
    const QString path = writeMp3(dir, "Some Band - Some Song.mp3");
    const LibraryEntry scanned = ScannedEntry(path);
    EXPECT_EQ(scanned.artist, "Some Band");
    EXPECT_EQ(scanned.title, "Some Song");
    EXPECT_EQ(scanned.format, "MP3");
    const LibraryTag tag{QString::fromUtf8("Bj\xc3\xb6rk"), "Joga", "kept"};
    ASSERT_EQ(WriteLibraryTag(path, tag), QString());
    LibraryTag back;
    ASSERT_TRUE(ReadLibraryTag(path, &back));
    EXPECT_EQ(back, tag);
    EXPECT_EQ(ScannedEntry(path).title, "Joga");
    EXPECT_FALSE(WriteLibraryTag(dir.filePath("missing.mp3"), tag).isEmpty());
}

TEST(LibraryTidy, RepeatsKeepTheLongestCompleteOne)
{
    LibraryModel model;
    auto e = [](const QString& p, qint64 ms, const char* state) {
        LibraryEntry x = entry(p, "Song", true);
        x.artist = "Band";
        x.lengthMs = ms;
        x.state = QLatin1String(state);
        return x;
    };
    model.Add({e("/a", 200000, kPlayComplete), e("/b", 250000, kPlayIncomplete), e("/c", 210000, kPlayVersion),
               entry("/d", "Alone", true)});
    const auto groups = RepeatGroups(model);
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].size(), 3u);
    const std::vector<int> rest = RowsBesideLongest(model, groups[0]);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(model.At(rest[0]).path, "/a");
    EXPECT_EQ(model.At(rest[1]).path, "/b");
}

// Rows dragged out are files, once each, in the order the list shows them.
TEST(LibraryFilter, DraggedRowsAreTheirFilesInTheListsOrder)
{
    LibraryModel model;
    model.Add({entry("/r/b song.mp3", "B", true, "One", 20), entry("/r/a.ogg", "A", true, "Two", 30),
               entry("/r/c.mp3", "C", true, "One", 10)});
    LibraryFilter filter;
    filter.setSourceModel(&model);
    filter.sort(LibraryModel::SizeColumn, Qt::AscendingOrder);
    EXPECT_EQ(filter.mimeTypes(), QStringList{"text/uri-list"});
    EXPECT_TRUE(filter.flags(filter.index(0, 0)) & Qt::ItemIsDragEnabled);
    const auto urls = [&filter](const std::vector<std::pair<int, int>>& cells) {
        QModelIndexList indexes;
        for (const auto& [row, column] : cells)
            indexes.append(filter.index(row, column));
        std::unique_ptr<QMimeData> mime(filter.mimeData(indexes));
        QStringList files;
        if (mime)
            for (const QUrl& url : mime->urls())
                files << url.toLocalFile();
        return files;
    };
    const struct Case {
        std::vector<std::pair<int, int>> cells;
        QStringList files;
    } cases[] = {
        {{{0, 0}, {0, 3}, {0, 7}}, {"/r/c.mp3"}},
        {{{2, 1}, {0, 0}, {1, 5}, {2, 0}}, {"/r/c.mp3", "/r/b song.mp3", "/r/a.ogg"}},
        {{{1, 0}}, {"/r/b song.mp3"}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(urls(c.cells), c.files) << c.files.join('|').toStdString();
    // The filter's rows: the one station's files only.
    filter.SetStation("Two");
    EXPECT_EQ(urls({{0, 0}}), QStringList{"/r/a.ogg"});
}

namespace {

// The desktop's trash in a folder of the test's own while it lives.
class OwnTrash {
public:
    OwnTrash() : m_before(qgetenv("XDG_DATA_HOME")), m_had(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(QDir::cleanPath(m_home.path())));
    }
    ~OwnTrash()
    {
        if (m_had)
            qputenv("XDG_DATA_HOME", m_before);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString Path() const { return QDir::cleanPath(m_home.path()) + QStringLiteral("/Trash/"); }

private:
    QTemporaryDir m_home;
    QByteArray m_before;
    bool m_had;
};

// What a scan of the history and the folder lists, as a window opened later
// would show it.
std::vector<LibraryEntry> scanned(const QString& history, const QString& folder)
{
    LibraryModel model;
    LibraryScanner scanner(model);
    scanner.SetSources(history, {folder});
    scanner.Rescan();
    EXPECT_TRUE(WaitUntil([&] { return !scanner.Running(); }, 20000));
    std::vector<LibraryEntry> rows;
    for (int i = 0; i < model.rowCount(); ++i)
        rows.push_back(model.At(i));
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return rows;
}

} // namespace

// A file renamed or trashed in the library keeps its play in the history:
// renamed, it is still listed with its station, date and state; trashed, the
// history names it in the trash, and the library no longer lists it.
TEST(LibraryHistory, ARenamedOrTrashedFileKeepsItsPlay)
{
    OwnTrash trash;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("rec");
    const QString folder = dir.filePath("rec");
    const QString history = dir.filePath("history.sqlite");
    QTemporaryDir recDir(folder + "/XXXXXX"); // a folder of recordings
    const QString one = writeMp3(recDir, "Band - One.mp3"), two = writeMp3(recDir, "Band - Two.mp3"),
                  three = writeMp3(recDir, "Band - Three.mp3");
    const QDateTime start(QDate(2026, 11, 3), QTime(8, 15));
    {
        HistoryStore store(history);
        ASSERT_TRUE(store.Open());
        const auto play = [&](const QString& song, const QString& file, const char* state) {
            Play p{"Radio One", "http://127.0.0.1/", "Band - " + song, "Band", song, start, start.addSecs(180),
                   file,        QLatin1String(state)};
            return store.Insert(p) > 0;
        };
        ASSERT_TRUE(play("One", one, kPlayComplete));
        ASSERT_TRUE(play("Two", two, kPlayIncomplete));
        // A play of the same name in another folder is no play of this file.
        ASSERT_TRUE(play("One", dir.filePath("Band - One.mp3"), kPlayVersion));
    }
    const QString renamed = recDir.filePath("Renamed.mp3");
    {
        frmLibrary window(history, {folder});
        window.scanner().Rescan();
        ASSERT_TRUE(WaitUntil([&] { return !window.scanner().Running(); }, 20000));
        ASSERT_EQ(window.model().rowCount(), 3);
        // Refused: nothing changes, in the folder or in the history.
        EXPECT_EQ(window.Rename(one, "Band - Two.mp3"), "A file named \"Band - Two.mp3\" exists already.");
        EXPECT_EQ(window.Rename(one, "Renamed.mp3"), QString());
        window.Trash({two});
        EXPECT_EQ(window.model().RowOf(two), -1);
        const LibraryEntry& row = window.model().At(window.model().RowOf(renamed));
        EXPECT_EQ(row.station, "Radio One");
        ASSERT_TRUE(WaitUntil([&] { return window.scanner().PendingMoves() == 0; }));
    }

    const struct Listed {
        QString path;
        bool known;
        const char* station;
        const char* state;
    } listed[] = {
        {three, false, "", ""},
        {renamed, true, "Radio One", kPlayComplete},
    };
    const std::vector<LibraryEntry> rows = scanned(history, folder);
    ASSERT_EQ(rows.size(), std::size(listed));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(listed[i].path.toStdString());
        EXPECT_EQ(rows[i].path, listed[i].path);
        EXPECT_EQ(rows[i].known, listed[i].known);
        EXPECT_EQ(rows[i].station, QLatin1String(listed[i].station));
        EXPECT_EQ(rows[i].state, QLatin1String(listed[i].state));
        if (listed[i].known)
            EXPECT_EQ(rows[i].date, start);
    }

    // The history: each play names where its file is now.
    HistoryStore store(history);
    ASSERT_TRUE(store.Open());
    QStringList files;
    for (const Play& p : store.Plays())
        files << p.song + "=" + p.file;
    files.sort();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0], "One=" + dir.filePath("Band - One.mp3"));
    EXPECT_EQ(files[1], "One=" + renamed);
    const QString trashed = files[2].mid(4);
    EXPECT_TRUE(trashed.startsWith(trash.Path())) << trashed.toStdString();
    EXPECT_TRUE(IsInTrash(trashed));
    EXPECT_TRUE(QFile::exists(trashed));
    EXPECT_FALSE(QFile::exists(two));
}

TEST(LibraryHistory, TrashFoldersAreKnown)
{
    OwnTrash trash;
    const struct Case {
        QString path;
        bool inTrash;
    } cases[] = {
        {trash.Path() + "files/a.mp3", true},
        {trash.Path() + "files/sub/../b.mp3", true},
        {"/media/usb/.Trash-1000/files/a.mp3", true},
        {"/media/usb/.Trash/1000/files/a.mp3", true},
        {"/home/u/Music/Trash/files/a.mp3", false},
        {"/home/u/Music/.Trash-x/files/a.mp3", false},
        {"/home/u/Music/a.mp3", false},
        {trash.Path() + "../a.mp3", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsInTrash(c.path), c.inTrash) << c.path.toStdString();
}
