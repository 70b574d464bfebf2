// The station list: its file, removing, the accept action, the external
// player and drops.
#include "panelfixture.h"
#include "recorder/recordercovers.h"
#include "sources/urigrabber.h"
#include "tests/support/widgets/control.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <functional>
#include <sys/stat.h>

using StationFileTest = PanelFixture;

TEST_F(StationFileTest, TwoStationsAreFourLinesAndComeBackInOrder)
{
    open();
    const QString a = localUrl(QStringLiteral("a.pls")), b = localUrl(QStringLiteral("b.m3u"));
    panel->AppendStation(QStringLiteral("A"), a);
    panel->AppendStation(QStringLiteral("B"), b);
    reopen();
    EXPECT_EQ(ReadAll(panelDeps.stationFile), QStringLiteral("A\r\n%1\r\nB\r\n%2\r\n").arg(a, b).toUtf8());
    EXPECT_EQ(names(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(urlsOfStations(), QStringList({a, b}));
    EXPECT_EQ(shell.quits, 1);
}

TEST_F(StationFileTest, AnEmptyListEmptiesTheFile)
{
    ASSERT_TRUE(WriteAll(panelDeps.stationFile, "Old\r\nhttp://old/x.pls\r\n"));
    open();
    panel->mnuRemoveAll_Click();
    closePanel();
    EXPECT_TRUE(QFile::exists(panelDeps.stationFile));
    EXPECT_EQ(ReadAll(panelDeps.stationFile), QByteArray());
}

// What is read at start from the given bytes, and what closing writes back.
struct ReadCase {
    const char* what;
    QByteArray bytes;
    QStringList names, urls;
    QByteArray written;
};

TEST_F(StationFileTest, ReadsAnyLineEndAndEncoding)
{
    const QList<ReadCase> cases{
        {"CR LF",
         "A\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.m3u\r\n",
         {"A", "B"},
         {"http://a/1.pls", "http://b/2.m3u"},
         "A\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.m3u\r\n"},
        {"LF only",
         "A\nhttp://a/1.pls\nB\nhttp://b/2.m3u\n",
         {"A", "B"},
         {"http://a/1.pls", "http://b/2.m3u"},
         "A\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.m3u\r\n"},
        {"CR only",
         "A\rhttp://a/1.pls\rB\rhttp://b/2.m3u\r",
         {"A", "B"},
         {"http://a/1.pls", "http://b/2.m3u"},
         "A\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.m3u\r\n"},
        {"no final line end", "A\r\nhttp://a/1.pls", {"A"}, {"http://a/1.pls"}, "A\r\nhttp://a/1.pls\r\n"},
        {"odd number of lines",
         "A\r\nhttp://a/1.pls\r\nB\r\n",
         {"A", "B"},
         {"http://a/1.pls", ""},
         "A\r\nhttp://a/1.pls\r\nB\r\n\r\n"},
        {"Windows-1252",
         "Caf\xe9 \x93Jazz\x94\r\nhttp://c/1.pls\r\n",
         {QString::fromUtf8("Café “Jazz”")},
         {"http://c/1.pls"},
         "Caf\xc3\xa9 \xe2\x80\x9cJazz\xe2\x80\x9d\r\nhttp://c/1.pls\r\n"},
        {"UTF-8 with a mark",
         "\xef\xbb\xbf\xc3\x96 FM\r\nhttp://o/1.pls\r\n",
         {QString::fromUtf8("Ö FM")},
         {"http://o/1.pls"},
         "\xc3\x96 FM\r\nhttp://o/1.pls\r\n"},
        {"empty file", "", {}, {}, ""},
        {"empty name and URL kept in step",
         "\r\n\r\nB\r\nhttp://b/2.m3u\r\n",
         {"", "B"},
         {"", "http://b/2.m3u"},
         "\r\n\r\nB\r\nhttp://b/2.m3u\r\n"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteAll(panelDeps.stationFile, c.bytes));
        open();
        EXPECT_EQ(names(), c.names);
        EXPECT_EQ(urlsOfStations(), c.urls);
        closePanel();
        EXPECT_EQ(ReadAll(panelDeps.stationFile), c.written);
    }
}

TEST_F(StationFileTest, AHundredThousandStationsStartAndClose)
{
    QByteArray bytes;
    const int count = 100000;
    for (int i = 0; i < count; ++i)
        bytes += "Station " + QByteArray::number(i) + "\r\nhttp://s/" + QByteArray::number(i) + ".pls\r\n";
    ASSERT_TRUE(WriteAll(panelDeps.stationFile, bytes));
    open();
    ASSERT_EQ(panel->StationCount(), count);
    EXPECT_EQ(panel->StationName(count - 1), QStringLiteral("Station 99999"));
    EXPECT_EQ(panel->StationUrl(count - 1), QStringLiteral("http://s/99999.pls"));
    closePanel();
    EXPECT_EQ(ReadAll(panelDeps.stationFile), bytes);
}

TEST_F(StationFileTest, AFolderInPlaceOfTheFileNeitherStopsStartNorClose)
{
    ASSERT_TRUE(QDir().mkpath(panelDeps.stationFile));
    open();
    EXPECT_EQ(panel->StationCount(), 0);
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://a/1.pls"));
    panel->close();
    EXPECT_EQ(shell.quits, 1);
    EXPECT_EQ(panel->StationCount(), 1);
    EXPECT_TRUE(QFileInfo(panelDeps.stationFile).isDir());
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(StationFileTest, AFileThatCannotBeWrittenKeepsTheStations)
{
    // The station file's folder is a plain file: nothing can be created in it.
    ASSERT_TRUE(WriteAll(home.file(QStringLiteral("plain")), "x"));
    panelDeps.stationFile = home.file(QStringLiteral("plain/Playlist.txt"));
    open();
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://a/1.pls"));
    panel->AppendStation(QStringLiteral("B"), QStringLiteral("http://b/2.m3u"));
    panel->close();
    EXPECT_EQ(shell.quits, 1);
    EXPECT_EQ(names(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(StationFileTest, PermissionsDoNotStopStartOrCloseAndTheOldFileStays)
{
    if (isRoot())
        GTEST_SKIP() << "permissions do not apply to root";
    const QByteArray old = "Old\r\nhttp://old/x.pls\r\n";
    ASSERT_TRUE(WriteAll(panelDeps.stationFile, old));
    QFile::setPermissions(panelDeps.stationFile, QFileDevice::Permissions());
    open();
    EXPECT_EQ(panel->StationCount(), 0); // unreadable
    QFile::setPermissions(panelDeps.stationFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    panel->AppendStation(QStringLiteral("New"), QStringLiteral("http://new/y.pls"));
    panel->close();
    QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(shell.quits, 1);
    EXPECT_EQ(ReadAll(panelDeps.stationFile), old);
}

// Station files that cannot be read are told once and never written over;
// a file with an over-long line or a stray Windows-1252 byte loads, and its
// valid lines go back byte for byte.
TEST_F(StationFileTest, HostileStationFiles)
{
    const QByteArray longLine(10'000'000, 'n');
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        QStringList names;  // what the list shows
        const char* told;   // in the one message ("" for none)
        bool keptAsItWas;   // closing leaves the file alone
        QByteArray written; // otherwise what closing writes
    } cases[] = {
        {"FIFO",
         [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
         {},
         "is not a regular file",
         true,
         {}},
        {"link to /dev/zero",
         [](const QString& p) { QFile::link(QStringLiteral("/dev/zero"), p); },
         {},
         "is not a regular file",
         true,
         {}},
        {"a read error",
         [](const QString& p) { QFile::link(QStringLiteral("/proc/self/mem"), p); },
         {},
         "could not be read",
         true,
         {}},
        {"over 64 MiB",
         [](const QString& p) { WriteAll(p, "A\r\nhttp://a/1.pls\r\n" + QByteArray(64 * 1024 * 1024, 'x')); },
         {},
         "is larger than 64 MiB",
         true,
         {}},
        {"a 10 MB line",
         [&](const QString& p) { WriteAll(p, longLine + "\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.pls\r\n"); },
         {QString(8192, 'n'), QStringLiteral("B")},
         "has a line longer than 8192 bytes; it was shortened",
         false,
         QByteArray(8192, 'n') + "\r\nhttp://a/1.pls\r\nB\r\nhttp://b/2.pls\r\n"},
        {"one Windows-1252 line among UTF-8 lines",
         [](const QString& p) {
             WriteAll(
                 p,
                 "Caf\xc3\xa9\r\nhttp://a/1.pls\r\nM\xfcller\r\nhttp://b/2.pls\r\n\xe6\x97\xa5\r\nhttp://c/3.pls\r\n");
         },
         {QString::fromUtf8("Café"), QString::fromUtf8("Müller"), QString::fromUtf8("日")},
         "",
         false,
         "Caf\xc3\xa9\r\nhttp://a/1.pls\r\nM\xc3\xbcller\r\nhttp://b/2.pls\r\n\xe6\x97\xa5\r\nhttp://c/3.pls\r\n"},
    };
    const QString file = panelDeps.stationFile;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        c.make(file);
        const QFileInfo before(file);
        const QByteArray bytes = before.isFile() && !before.isSymLink() ? ReadAll(file) : QByteArray();
        messages.messages.clear();
        open();
        EXPECT_EQ(names(), c.names);
        panel->AppendStation(QStringLiteral("Added"), QStringLiteral("http://added/x.pls"));
        closePanel();
        if (*c.told) {
            ASSERT_EQ(messages.messages.size(), 1) << messages.messages.join('|').toStdString();
            EXPECT_TRUE(messages.messages[0].contains(file + QLatin1Char(' ') + c.told))
                << messages.messages[0].toStdString();
        } else {
            EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
        }
        const QFileInfo after(file);
        if (c.keptAsItWas) {
            EXPECT_EQ(after.isSymLink(), before.isSymLink());
            EXPECT_EQ(after.isFile(), before.isFile());
            if (!bytes.isEmpty())
                EXPECT_TRUE(ReadAll(file) == bytes);
        } else {
            EXPECT_TRUE(ReadAll(file) == c.written + "Added\r\nhttp://added/x.pls\r\n");
        }
    }
}

TEST_F(StationFileTest, AnUnreadableListIsNeverWrittenOver)
{
    if (isRoot())
        GTEST_SKIP() << "permissions do not apply to root";
    const QByteArray old = "Old\r\nhttp://old/x.pls\r\n";
    ASSERT_TRUE(WriteAll(panelDeps.stationFile, old));
    QFile::setPermissions(panelDeps.stationFile, QFileDevice::WriteOwner);
    open();
    EXPECT_EQ(panel->StationCount(), 0);
    EXPECT_EQ(messages.messages.size(), 1);
    panel->AppendStation(QStringLiteral("New"), QStringLiteral("http://new/y.pls"));
    closePanel();
    QFile::setPermissions(panelDeps.stationFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAll(panelDeps.stationFile), old);
    EXPECT_EQ(messages.messages.size(), 1);
}

using StationListTest = PanelFixture;

TEST_F(StationListTest, RemovingSelectedStationsKeepsEveryOtherPair)
{
    struct Case {
        QList<int> selected;
        QList<int> left;
    };
    const QList<Case> cases{
        {{1, 3}, {0, 2, 4}}, {{0}, {1, 2, 3, 4}}, {{4}, {0, 1, 2, 3}}, {{}, {0, 1, 2, 3, 4}}, {{0, 1, 2, 3, 4}, {}},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.selected));
        panel->mnuRemoveAll_Click();
        for (int i = 0; i < 5; ++i)
            panel->AppendStation(QStringLiteral("S%1").arg(i), QStringLiteral("http://s/%1.pls").arg(i));
        Control<QTreeWidget>(panel.get(), "lstViewSongList")->clearSelection();
        for (int i : c.selected)
            Control<QTreeWidget>(panel.get(), "lstViewSongList")->topLevelItem(i)->setSelected(true);
        panel->cmdRemoveList_Click();
        QStringList wantNames, wantUrls;
        for (int i : c.left) {
            wantNames << QStringLiteral("S%1").arg(i);
            wantUrls << QStringLiteral("http://s/%1.pls").arg(i);
        }
        EXPECT_EQ(names(), wantNames);
        EXPECT_EQ(urlsOfStations(), wantUrls);
    }
}

TEST_F(StationListTest, EditChangesOnlyTheSelectedStation)
{
    open();
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://a/1.pls"));
    panel->AppendStation(QStringLiteral("B"), QStringLiteral("http://b/2.pls"));
    panel->cmdEdit_Click(); // nothing selected
    EXPECT_TRUE(dialogCaptions.isEmpty());
    Control<QTreeWidget>(panel.get(), "lstViewSongList")
        ->setCurrentItem(Control<QTreeWidget>(panel.get(), "lstViewSongList")->topLevelItem(1));
    dialogAnswer = false;
    panel->cmdEdit_Click();
    EXPECT_EQ(names(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    dialogAnswer = true;
    panel->cmdEdit_Click();
    EXPECT_EQ(dialogCaptions, QStringList(2, QStringLiteral("Edit Station")));
    EXPECT_EQ(dialogUrls, QStringList(2, QStringLiteral("http://b/2.pls")));
    EXPECT_EQ(names(), QStringList({QStringLiteral("A"), QStringLiteral("Named Station")}));
    EXPECT_EQ(urlsOfStations(), QStringList({QStringLiteral("http://a/1.pls"), QStringLiteral("http://b/2.pls")}));
}

// "Set Picture…" keeps only a picture that can be a cover; any other file is
// refused with a message and the station keeps what it had.
TEST_F(StationListTest, APictureThatCannotBeACoverIsRefusedWithAMessage)
{
    open();
    const QString station = QStringLiteral("http://a/1.pls");
    panel->AppendStation(QStringLiteral("A"), station);
    auto* list = Control<QTreeWidget>(panel.get(), "lstViewSongList");
    list->setCurrentItem(list->topLevelItem(0));
    TempFolder dir;
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString good = dir.file(QStringLiteral("logo.png")), page = dir.file(QStringLiteral("page.png"));
    ASSERT_TRUE(image.save(good, "PNG"));
    QFile bad(page);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("<html>not a picture</html>") > 0);
    bad.close();
    const struct {
        QString file;
        bool kept;
    } choices[] = {{page, false}, {dir.file(QStringLiteral("gone.png")), false}, {good, true}};
    for (const auto& c : choices) {
        SCOPED_TRACE(c.file.toStdString());
        messages.messages.clear();
        panel->mnuSetPicture_Click();
        auto* dialog = panel->findChild<QFileDialog*>(QStringLiteral("dlgStationPicture"));
        ASSERT_NE(dialog, nullptr);
        emit dialog->fileSelected(c.file);
        dialog->setObjectName(QString()); // the next choice finds its own dialog
        dialog->close();
        EXPECT_EQ(StationPicturePath(station), c.kept ? good : QString());
        ASSERT_EQ(messages.messages.size(), c.kept ? 0 : 1);
        if (!c.kept)
            EXPECT_TRUE(messages.messages[0].contains(QStringLiteral("cannot be the station's picture")));
    }
}

TEST_F(StationListTest, AcceptTestsTheAddressAnywhereWithoutCase)
{
    struct Case {
        QString url;
        bool accepted;
    };
    const QList<Case> cases{
        {localUrl(QStringLiteral("LIST.PLS")), true},
        {localUrl(QStringLiteral("live.m3u?sid=1&x=.mp3")), true},
        {localUrl(QStringLiteral("radio.plsx/feed")), true},
        {localUrl(QStringLiteral("Stream.M3U8")), true},
        {localUrl(QStringLiteral("stream.mp3")), false},
        {localUrl(QStringLiteral("pls")), false},
        {QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        open();
        messages.messages.clear();
        Control<QLineEdit>(panel.get(), "txtStreamTitle")->setText(QStringLiteral("Old title"));
        panel->PanelEdited = false;
        Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(c.url);
        panel->cmdOK_Click();
        EXPECT_TRUE(panel->PanelEdited);
        EXPECT_EQ(Control<QLabel>(panel.get(), "lblConnecting")->isVisibleTo(panel.get()), c.accepted);
        EXPECT_EQ(panel->URIGrabber->IsBusy(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(panel->URIGrabber->Address(), c.url);
            EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtStreamTitle")->text(), QStringLiteral("Old title"));
        } else {
            EXPECT_EQ(messages.messages,
                      QStringList(QStringLiteral("This is not a valid Shoutcast streaming playlist, configuration "
                                                 "file, or accepted URL file!")));
            EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtStreamTitle")->text().isEmpty());
            EXPECT_TRUE(panel->URIGrabber->Address().isEmpty());
        }
        panel.reset();
    }
}

TEST_F(StationListTest, AFetchedPlaylistFillsTitleAndDefaultFolder)
{
    // A local playlist is read at once; the music folder is the default.
    const QString list = home.file(QStringLiteral("jazz.pls"));
    ASSERT_TRUE(WriteAll(list, "[playlist]\r\nFile1=http://127.0.0.1:8000/stream\r\nTitle1=Jazz FM\r\n"
                               "Length1=-1\r\nNumberOfEntries=1\r\nVersion=2\r\n"));
    SetSpecialFolderOverride(SpecialFolder::Music, folder.path().chopped(1));
    open();
    Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(list);
    panel->cmdOK_Click();
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtStreamTitle")->text(), QStringLiteral("Jazz FM"));
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.path());
    EXPECT_TRUE(panel->PathValid);
    EXPECT_TRUE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
    EXPECT_FALSE(Control<QLabel>(panel.get(), "lblConnecting")->isVisibleTo(panel.get()));

    // In single-file mode the file name stays: a folder is no file name.
    Control<QRadioButton>(panel.get(), "optFile")->click();
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(folder.file(QStringLiteral("show.mp3")));
    Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(list);
    panel->cmdOK_Click();
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.file(QStringLiteral("show.mp3")));

    // A port the grabber refuses: its message, the address gone, the panel off.
    Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(QStringLiteral("http://127.0.0.1:70000/list.pls"));
    panel->cmdOK_Click();
    EXPECT_EQ(messages.messages.size(), 1);
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtPlaylist")->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtStreamTitle")->text().isEmpty());
    EXPECT_FALSE(Control<QLineEdit>(panel.get(), "txtMP3Path")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(panel.get(), "cmdOK")->isEnabled());
    EXPECT_FALSE(Control<QLabel>(panel.get(), "lblConnecting")->isVisibleTo(panel.get()));
}

// A playlist on disk: the grabber reads it at once and reports "Jazz FM".
static QString localPlaylist(const TempFolder& where)
{
    const QString list = where.file(QStringLiteral("jazz.pls"));
    WriteAll(list, "[playlist]\r\nFile1=http://127.0.0.1:8000/stream\r\nTitle1=Jazz FM\r\nNumberOfEntries=1\r\n");
    return list;
}

// After a fetch the recordings need a folder: a chosen one that exists, else
// the music folder, made when there is none yet. A chosen folder that has
// gone, or one that cannot be made, is named on the Other page.
TEST_F(StationListTest, AFetchedStationGetsAFolderOrSaysWhyNot)
{
    const QString list = localPlaylist(home);
    const QString plainFile = folder.file(QStringLiteral("plain"));
    ASSERT_TRUE(WriteAll(plainFile, "x"));
    const QString mine = folder.file(QStringLiteral("Mine/"));
    ASSERT_TRUE(QDir().mkpath(mine));
    const struct {
        const char* what;
        QString lastPath, music;
        QString box;     // the save path afterwards; "" with a problem line
        QString problem; // a part of the line
        QString stored;  // the folder kept with the panel's settings
    } rows[] = {
        {"nothing chosen", QString(), folder.file(QStringLiteral("New Music")),
         folder.file(QStringLiteral("New Music/")), QString()},
        {"chosen and there", mine, folder.file(QStringLiteral("Unused")), mine, QString()},
        {"chosen and gone", folder.file(QStringLiteral("Gone/")), folder.path(), QString(),
         QStringLiteral("The folder %1 is missing.").arg(folder.file(QStringLiteral("Gone/")))},
        {"music cannot be made", QString(), plainFile + QStringLiteral("/Music"), QString(),
         QStringLiteral("could not be created")},
        {"nothing chosen, a folder stored", QString(), folder.file(QStringLiteral("Unused")), mine, QString(), mine},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetLastPath(row.lastPath);
        SetSpecialFolderOverride(SpecialFolder::Music, row.music);
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("MP3Path"), row.stored);
        messages.messages.clear();
        open();
        Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(list);
        panel->cmdOK_Click();
        EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtStreamTitle")->text(), QStringLiteral("Jazz FM"));
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), row.box);
        EXPECT_EQ(Control<QLabel>(panel.get(), "lblSavePathProblem")->isHidden(), row.problem.isEmpty());
        EXPECT_TRUE(Control<QLabel>(panel.get(), "lblSavePathProblem")->text().contains(row.problem))
            << Control<QLabel>(panel.get(), "lblSavePathProblem")->text().toStdString();
        EXPECT_EQ(Control<QStackedWidget>(panel.get(), "pages")->currentWidget(),
                  row.problem.isEmpty() ? Control<QGroupBox>(panel.get(), "RadioFrame")
                                        : Control<QGroupBox>(panel.get(), "OtherFrame"));
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled(), row.problem.isEmpty());
        if (row.problem.isEmpty()) {
            EXPECT_TRUE(QFileInfo(row.box).isDir());
        } else {
            // Choosing a folder puts the line away and lets the recording start.
            Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(mine);
            panel->txtMP3Path_LostFocus();
            EXPECT_TRUE(Control<QLabel>(panel.get(), "lblSavePathProblem")->isHidden());
            EXPECT_TRUE(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled());
        }
        panel.reset();
    }
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("Unused"))));
}

// Record and Preview/Listen wait for a station whose playlist was fetched: a
// folder kept from the last run, a refused address or a failed fetch is not
// enough.
TEST_F(StationListTest, RecordingNeedsAFetchedStation)
{
    const QString list = localPlaylist(home);
    SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("MP3Path"), folder.path());
    SetLastPath(folder.path());
    open();
    const struct {
        const char* step;
        QString url; // "": nothing accepted, the panel as it opened
        bool ready;
    } steps[] = {
        {"a stored folder", QString(), false},
        {"a fetched playlist", list, true},
        {"an address that is no playlist", QStringLiteral("http://127.0.0.1:1/stream.mp3"), false},
        {"fetched again", list, true},
        {"a fetch that failed", QStringLiteral("http://127.0.0.1:70000/list.pls"), false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        if (!step.url.isEmpty()) {
            Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(step.url);
            panel->cmdOK_Click();
        }
        panel->tmrRecMon_Timer();
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled(), step.ready);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdPreview")->isEnabled(), step.ready);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdSave")->isEnabled(), step.ready);
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.path());
    }
    EXPECT_EQ(messages.messages.size(), 2); // the refused address and the failed fetch
}

TEST_F(StationListTest, ExternalPlayerGetsTheAddressAsOneArgumentUnchecked)
{
    open();
    const QString url = QStringLiteral("http://host/my \"live\" stream.mp3");
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://host/a.pls"));
    panel->AppendStation(QStringLiteral("B"), url);
    Control<QCheckBox>(panel.get(), "chkUseEnternal")->setChecked(true);
    Control<QLineEdit>(panel.get(), "txtExternalPlayer")->setText(QStringLiteral("/opt/player/bin/play"));
    Control<QTreeWidget>(panel.get(), "lstViewSongList")
        ->setCurrentItem(Control<QTreeWidget>(panel.get(), "lstViewSongList")->topLevelItem(1));
    panel->lstViewSongList_DblClick();
    EXPECT_EQ(launcher.started, QStringList(QStringLiteral("/opt/player/bin/play")));
    EXPECT_EQ(launcher.lastArguments, QStringList(url));
    EXPECT_FALSE(Control<QLabel>(panel.get(), "lblConnecting")->isVisibleTo(panel.get()));
    EXPECT_FALSE(panel->URIGrabber->IsBusy());
    EXPECT_TRUE(messages.messages.isEmpty());
}

// An address reaches the outside player only as an address: a station's
// http, https or icy address or an existing file's full path, after "--"
// for a player that ends its options there; anything else is refused with
// a message and starts nothing.
TEST_F(StationListTest, ExternalPlayerGetsOnlyAnAddressNeverAnOption)
{
    TempFolder files;
    const QString file = files.file(QStringLiteral("x.mp3"));
    ASSERT_TRUE(WriteAll(file, "ID3"));
    const QString mpv = QStringLiteral("/usr/bin/mpv");
    const QString other = QStringLiteral("/opt/player/bin/play");
    const struct {
        QString player;
        QString address;
        QStringList arguments; // empty: refused
    } cases[] = {
        {mpv, QStringLiteral("--script=x"), {}},
        {other, QStringLiteral("--script=x"), {}},
        {mpv, QStringLiteral("-v"), {}},
        {mpv,
         QStringLiteral("http://127.0.0.1:8000/s"),
         {QStringLiteral("--"), QStringLiteral("http://127.0.0.1:8000/s")}},
        {other, QStringLiteral("http://127.0.0.1:8000/s"), {QStringLiteral("http://127.0.0.1:8000/s")}},
        {other, QStringLiteral("HTTPS://127.0.0.1/s?a=-v"), {QStringLiteral("HTTPS://127.0.0.1/s?a=-v")}},
        {other, QStringLiteral("icy://127.0.0.1:8000/"), {QStringLiteral("icy://127.0.0.1:8000/")}},
        {mpv, file, {QStringLiteral("--"), file}},
        {other, file, {file}},
        {other, files.file(QStringLiteral("missing.mp3")), {}},
        {other, QStringLiteral("x.mp3"), {}},
        {other, QStringLiteral("file:///x"), {}},
        {other, QStringLiteral("http://"), {}},
        {other, QString(), {}},
    };
    open();
    Control<QCheckBox>(panel.get(), "chkUseEnternal")->setChecked(true);
    for (const auto& c : cases) {
        SCOPED_TRACE((c.player + QLatin1Char(' ') + c.address).toStdString());
        launcher.started.clear();
        launcher.lastArguments.clear();
        messages.messages.clear();
        Control<QLineEdit>(panel.get(), "txtExternalPlayer")->setText(c.player);
        Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(c.address);
        panel->cmdOK_Click();
        if (c.arguments.isEmpty()) {
            EXPECT_TRUE(launcher.started.isEmpty());
            ASSERT_EQ(messages.messages.size(), 1);
            EXPECT_TRUE(messages.messages[0].contains(QStringLiteral("\"%1\" is neither").arg(c.address)))
                << messages.messages[0].toStdString();
        } else {
            EXPECT_EQ(launcher.started, QStringList(c.player));
            EXPECT_EQ(launcher.lastArguments, c.arguments);
            EXPECT_TRUE(messages.messages.isEmpty());
        }
        EXPECT_FALSE(panel->URIGrabber->IsBusy());
    }
}

TEST_F(StationListTest, DroppedTextIsAddedThenAccepted)
{
    open();
    const QString url = localUrl(QStringLiteral("my station list.pls"));
    auto drop = textDrop(url + QLatin1Char('\n'));
    panel->lstViewSongList_OLEDragDrop(drop.get());
    EXPECT_EQ(dialogCaptions, QStringList(QStringLiteral("Add Station")));
    EXPECT_EQ(dialogUrls, QStringList(url)); // inner spaces kept
    EXPECT_EQ(names(), QStringList(QStringLiteral("Named Station")));
    EXPECT_EQ(urlsOfStations(), QStringList(url));
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtPlaylist")->text(), url);
    EXPECT_EQ(panel->URIGrabber->Address(), url);
    EXPECT_TRUE(panel->PanelEdited);
}

TEST_F(StationListTest, CancellingTheDialogAfterADropFetchesNothing)
{
    open();
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://a/1.pls"));
    dialogAnswer = false;
    const QString url = localUrl(QStringLiteral("b.pls"));
    auto drop = textDrop(url);
    panel->lstViewSongList_OLEDragDrop(drop.get());
    EXPECT_EQ(dialogCaptions.size(), 1);
    EXPECT_EQ(names(), QStringList(QStringLiteral("A")));
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtPlaylist")->text(), url);
    EXPECT_FALSE(panel->URIGrabber->IsBusy());
    EXPECT_TRUE(panel->URIGrabber->Address().isEmpty());
    EXPECT_FALSE(Control<QLabel>(panel.get(), "lblConnecting")->isVisibleTo(panel.get()));
}

TEST_F(StationListTest, DroppedPresetIsAddedThenRefused)
{
    const QString preset = home.file(QStringLiteral("Morning Show.tvp"));
    ASSERT_TRUE(WriteAll(preset, "[Recording]\r\n"));
    open();
    auto drop = fileDrop(preset);
    panel->lstViewSongList_OLEDragDrop(drop.get());
    EXPECT_EQ(dialogUrls, QStringList(preset));
    EXPECT_EQ(urlsOfStations(), QStringList(preset));
    EXPECT_EQ(messages.messages.size(), 1);
    EXPECT_FALSE(panel->URIGrabber->IsBusy());
}

TEST_F(StationListTest, DroppedFilesThatAreNotThereOrFoldersAreIgnored)
{
    const QString folder = home.file(QStringLiteral("sub.pls"));
    ASSERT_TRUE(QDir().mkpath(folder));
    open();
    Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(QStringLiteral("before"));
    const QList<QString> paths{home.file(QStringLiteral("gone.pls")), folder};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        auto drop = fileDrop(path);
        panel->lstViewSongList_OLEDragDrop(drop.get());
        EXPECT_TRUE(dialogCaptions.isEmpty());
        EXPECT_EQ(panel->StationCount(), 0);
        EXPECT_TRUE(Control<QLineEdit>(panel.get(), "txtPlaylist")->text().isEmpty());
        EXPECT_FALSE(panel->URIGrabber->IsBusy());
    }
    QMimeData nothing;
    nothing.setData(QStringLiteral("application/x-other"), "data");
    panel->lstViewSongList_OLEDragDrop(&nothing);
    EXPECT_TRUE(dialogCaptions.isEmpty());
    EXPECT_TRUE(messages.messages.isEmpty());
}

namespace {

// A drag that enters `target` and is dropped there; true when the target
// accepted the drag.
bool dragAndDrop(QWidget* target, const QMimeData* data)
{
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

} // namespace

TEST_F(StationListTest, EveryDropTargetHandsItsDataToTheStationList)
{
    open();
    dialogAnswer = false;
    const QList<QWidget*> targets{
        Control<QTreeWidget>(panel.get(), "lstViewSongList")->viewport(), Control<QPushButton>(panel.get(), "cmdOK"),
        Control<QLabel>(panel.get(), "lblConnecting"), Control<QGroupBox>(panel.get(), "RadioFrame"),
        Control<QPushButton>(panel.get(), "cmdAddtoList")};
    for (QWidget* target : targets) {
        SCOPED_TRACE(target->objectName().toStdString());
        dialogUrls.clear();
        auto data = textDrop(localUrl(QStringLiteral("x.pls")));
        EXPECT_TRUE(dragAndDrop(target, data.get()));
        EXPECT_EQ(dialogUrls, QStringList(localUrl(QStringLiteral("x.pls"))));
    }
    // The save-path box takes folders, not stations.
    dialogUrls.clear();
    auto data = fileDrop(folder.path());
    EXPECT_TRUE(dragAndDrop(Control<QLineEdit>(panel.get(), "txtMP3Path"), data.get()));
    EXPECT_TRUE(dialogUrls.isEmpty());
    EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), folder.path());
    EXPECT_TRUE(panel->PathValid);
}

// The Search menu and the Search button's menu open each search window; Radio
// Browser and What Plays Where have entries of their own in both. The View
// menu opens the library.
TEST_F(StationFileTest, SearchMenusOpenEachSearch)
{
    open();
    const struct {
        const char* action;
        int RecordingDesktopShell::*count;
    } entries[] = {
        {"mnuSearchShoutcast1", &RecordingDesktopShell::directorySearches},
        {"mnuSearchRadioBrowser1", &RecordingDesktopShell::radioBrowserSearches},
        {"mnuSearchPresets1", &RecordingDesktopShell::presetSearches},
        {"mnuShoutCast", &RecordingDesktopShell::directorySearches},
        {"mnuRadioBrowser", &RecordingDesktopShell::radioBrowserSearches},
        {"mnuLocalDirectory", &RecordingDesktopShell::presetSearches},
        {"mnuLibrary1", &RecordingDesktopShell::libraries},
        {"mnuWhatPlays1", &RecordingDesktopShell::whatPlays},
        {"mnuWhatPlays", &RecordingDesktopShell::whatPlays},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.action);
        auto* action = panel->findChild<QAction*>(QLatin1String(entry.action));
        ASSERT_NE(action, nullptr);
        const int before = shell.*entry.count;
        const auto all = [&] {
            return shell.directorySearches + shell.radioBrowserSearches + shell.presetSearches + shell.libraries +
                   shell.whatPlays;
        };
        const int others = all() - before;
        action->trigger();
        EXPECT_EQ(shell.*entry.count, before + 1);
        EXPECT_EQ(all() - shell.*entry.count, others);
    }
}
