// The search's pure pieces: directory addresses, Radio Browser requests and
// answers, the playlist files of chosen stations, the pages shown.
#include "sources/stationsearch.h"
#include "sources/uriplaylist.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(DirectorySearch, AddressesAreTheTypedTextConcatenated)
{
    struct Case {
        int type;
        QString keyword, genre, bitrate, path;
    };
    const QList<Case> cases{
        {0, "rock", "Jazz", "128", "/directory/?s=rock&numresult=20&maxbitrate=128&startat=0"},
        {1, "rock", "- Acid Jazz", "24", "/directory/?sgenre=Acid Jazz&maxbitrate=24&startat=0"},
        {1, "", "Jazz", "9999", "/directory/?sgenre=Jazz&maxbitrate=9999&startat=0"},
        {1, "", "-Jazz", "24", "/directory/?sgenre=-Jazz&maxbitrate=24&startat=0"},
        {0, "", "Jazz", "24", "/directory/?s=&numresult=20&maxbitrate=24&startat=0"},
        {0, "R&B #1 Café", "", "x", "/directory/?s=R&B #1 Café&numresult=20&maxbitrate=x&startat=0"},
        {2, "rock", "Jazz", "24", ""},
        {-1, "rock", "Jazz", "24", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectorySearchPath(c.type, c.keyword, c.genre, c.bitrate), c.path) << c.path.toStdString();

    // Each genre of the list searches as a plain name; the list opens with
    // a genre, not a sub-genre.
    const QStringList& genres = DirectoryGenres();
    ASSERT_FALSE(genres.isEmpty());
    EXPECT_FALSE(genres.first().startsWith("- "));
    for (const QString& genre : genres) {
        const QString name = DirectoryGenreName(genre);
        EXPECT_TRUE(!name.isEmpty() && !name.startsWith('-') && name == name.trimmed()) << genre.toStdString();
    }

    // On the wire a space must be escaped; "#" starts the fragment as it
    // does for any browser given the address.
    const QUrl url = DirectorySearchUrl("http://127.0.0.1:8000", cases[5].path);
    EXPECT_EQ(url.toEncoded(QUrl::RemoveFragment), "http://127.0.0.1:8000/directory/?s=R&B%20");
}

TEST(RadioBrowser, SearchAddressesAreEncodedAndLeaveOutEmptyFields)
{
    struct Case {
        RadioBrowserQuery query;
        QByteArray encoded;
    };
    RadioBrowserQuery full;
    full.name = " Rock & Roll #1+ ";
    full.tag = "café";
    full.countryCode = "de";
    full.codec = "AAC+";
    full.bitrateMin = 128;
    full.limit = 50;
    RadioBrowserQuery bare;
    bare.order = "name";
    bare.reverse = false;
    bare.hideBroken = false;
    bare.limit = 0;
    const QList<Case> cases{
        {full, "https://rb.example/json/stations/search?name=Rock%20%26%20Roll%20%231%2B&tag=caf%C3%A9&countrycode=DE"
               "&codec=AAC%2B&bitrateMin=128&order=votes&reverse=true&limit=50&hidebroken=true"},
        {bare, "https://rb.example/json/stations/search?order=name&reverse=false&limit=1&hidebroken=false"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RadioBrowserSearchUrl("https://rb.example", c.query).toEncoded(), c.encoded);
    EXPECT_EQ(RadioBrowserClickUrl("http://h:1", "a b/c").toEncoded(), "http://h:1/json/url/a%20b%2Fc");
}

TEST(RadioBrowser, AnswersAreReadFieldByFieldWhateverTheirShape)
{
    const QByteArray json = R"([
      {"stationuuid":"u1","name":"One\nLine/Two","url_resolved":"http://a/1","codec":"MP3","bitrate":128,
       "countrycode":"DE","tags":"jazz,pop","votes":7},
      {"stationuuid":5,"name":42,"url":"https://b/2","url_resolved":"","bitrate":"96","votes":null},
      {"name":"no address"},
      {"name":"bad address","url_resolved":"http://x/a b","url":"ftp://x/"},
      "not a station", 7,
      {"name":"","url_resolved":"http://c/3","bitrate":-5,"votes":1e12}
    ])";
    const RadioBrowserAnswer a = ParseRadioBrowserStations(json);
    ASSERT_TRUE(a.ok) << a.error.toStdString();
    EXPECT_EQ(a.skipped, 4);
    ASSERT_EQ(a.stations.size(), 3);
    EXPECT_EQ(a.stations[0], (RadioStation{"u1", "One Line/Two", "http://a/1", "MP3", "DE", "jazz,pop", 128, 7}));
    EXPECT_EQ(a.stations[1], (RadioStation{"5", "42", "https://b/2", "", "", "", 96, 0}));
    EXPECT_EQ(a.stations[2], (RadioStation{"", "http://c/3", "http://c/3", "", "", "", 0, 0}));

    struct Bad {
        QByteArray json;
        bool ok;
    };
    for (const Bad& b : QList<Bad>{
             {"[{\"name\":", false}, {"{\"name\":\"x\"}", false}, {"", false}, {"\xff\xfe[]", false}, {"[]", true}}) {
        const RadioBrowserAnswer r = ParseRadioBrowserStations(b.json);
        EXPECT_EQ(r.ok, b.ok) << b.json.constData();
        EXPECT_EQ(r.error.isEmpty(), b.ok);
        EXPECT_TRUE(r.stations.isEmpty());
    }

    QByteArray many = "[";
    for (int i = 0; i < 10000; ++i)
        many += QByteArray(i ? "," : "") + "{\"name\":\"S" + QByteArray::number(i) + "\",\"url_resolved\":\"http://s/" +
                QByteArray::number(i) + "\"}";
    const RadioBrowserAnswer big = ParseRadioBrowserStations(many + "]");
    ASSERT_EQ(big.stations.size(), 10000);
    EXPECT_EQ(big.stations.last().url, "http://s/9999");
}

TEST(StationPlaylist, TheFileHoldsOneAddressTheRecorderReads)
{
    const QList<RadioStation> stations{
        {"u-1", "Plain FM", "http://127.0.0.1:8000/stream?x=1&y=2", "MP3", "", "", 128, 0},
        {"u-2", "File=Profile\r\nTitle=Bad/Name", "https://h/File", "", "", "", 0, 0},
        {"", "..", "http://h:81/", "", "", "", 0, 0},
    };
    for (const RadioStation& s : stations) {
        const PlaylistResult r = ParsePlaylist(QString::fromUtf8(StationPlaylistText(s)), "x.pls");
        ASSERT_EQ(r.Error, plsOK) << s.name.toStdString();
        ASSERT_EQ(r.Entries.size(), 1) << s.name.toStdString();
        EXPECT_EQ(r.FirstTitle, s.name.simplified().replace('=', '-'));
    }
    EXPECT_EQ(StationPlaylistText(stations[0]),
              "[playlist]\r\nNumberOfEntries=1\r\nVersion=2\r\nStationUUID=u-1\r\nLength1=-1\r\n"
              "Title1=Plain FM\r\nFile1=http://127.0.0.1:8000/stream?x=1&y=2\r\n");
    EXPECT_EQ(StationPlaylistName(stations[1]), "File=Profile Title=BadName.pls");
    EXPECT_EQ(StationPlaylistName(stations[2]), "_.pls");

    TempFolder dir;
    const QString folder = dir.file("Stations/");
    QString error;
    const QString first = WriteStationPlaylist(folder, stations[0], &error);
    EXPECT_EQ(first, folder + "Plain FM.pls") << error.toStdString();
    EXPECT_EQ(StationUuidOfPlaylist(first), "u-1");
    // The same station again replaces its file; another of that name gets a number.
    EXPECT_EQ(WriteStationPlaylist(folder, stations[0], &error), first);
    RadioStation other = stations[0];
    other.uuid = "u-9";
    EXPECT_EQ(WriteStationPlaylist(folder, other, &error), folder + "Plain FM (2).pls");
    // A FIFO in the place of a station's file is passed by, not waited on.
    RadioStation piped = stations[0];
    piped.name = "Piped FM";
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "Piped FM.pls").constData(), 0600), 0);
    EXPECT_EQ(WriteStationPlaylist(folder, piped, &error), folder + "Piped FM (2).pls") << error.toStdString();

    RadioStation broken = stations[0];
    broken.url = "http://h/a\nb";
    EXPECT_EQ(WriteStationPlaylist(folder, broken, &error), QString());
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(WriteAll(dir.file("plain"), "x"));
    EXPECT_EQ(WriteStationPlaylist(dir.file("plain/Stations"), stations[0], &error), QString());
}

// Names are cut between characters and within the folder's byte limit,
// and lose the marks no one sees; the file is then written under that name.
TEST(StationPlaylist, NamesAreCutBetweenCharactersAndWithinTheByteLimit)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
    const QString cjk = QString::fromUtf8("\xE6\x97\xA5");
    const struct {
        QString name;
        qsizetype maxBytes;
        QString file;
    } cases[] = {
        {QString(99, 'a') + emoji, 255, QString(99, 'a') + ".pls"},
        {QString(98, 'a') + emoji + "z", 255, QString(98, 'a') + emoji + ".pls"},
        {cjk.repeated(100), 255, cjk.repeated(78) + ".pls"},
        {QString(60, 'b'), 40, QString(20, 'b') + ".pls"},
        {QString::fromUtf8("\uFEFF\u202Eslp.exe\u202C Radio\u200B One"), 255, "slp.exe Radio One.pls"},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        RadioStation station{"", c.name, "http://127.0.0.1:8000/s", "", "", "", 0, 0};
        const QString name = StationPlaylistName(station, c.maxBytes);
        EXPECT_EQ(name, c.file) << c.name.toStdString();
        EXPECT_FALSE(name.contains(QChar::ReplacementCharacter));
        if (c.maxBytes == 255) {
            QString error;
            EXPECT_EQ(WriteStationPlaylist(dir.path(), station, &error), dir.path() + c.file) << error.toStdString();
        }
    }
}

TEST(PageHtml, ScriptsGoAndTheCharsetIsHonoured)
{
    struct Case {
        QByteArray body, contentType;
        QString html;
    };
    const QList<Case> cases{
        {"<p>a</p><SCRIPT type=x>alert('<p>')</script ><p>b</p>", "text/html", "<p>a</p><p>b</p>"},
        {"<p>a</p><script>never closed <p>c</p>", "text/html", "<p>a</p>"},
        {"caf\xe9", "text/html; charset=\"ISO-8859-1\"", "café"},
        {"caf\xe9", "text/html", "café"},
        {"caf\xc3\xa9 \x93q\x94", "text/html", QString::fromUtf8("café “q”")},
        {"caf\xc3\xa9", "text/html;charset=utf-8", "café"},
        {"caf\xc3\xa9", "text/html;charset=no-such-set", "café"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageHtml(c.body, c.contentType), c.html) << c.body.constData();
}

// Whatever a directory sends in a station's fields, its playlist file reads
// back as that station and nothing else: one address, its title, its id.
TEST(StationPlaylist, HostileFieldsInjectNothing)
{
    struct Case {
        const char* what;
        RadioStation station;
        QString address; // as the reader must find it; "" for a station refused
        QString id;
    };
    const QString evil = "http://127.0.0.1:9/INJECTED.pls";
    const QList<Case> cases{
        {"File hidden in the id", {"x FiFilele=" + evil, "Plain", "http://127.0.0.1:1/s"}, "http://127.0.0.1:1/s", ""},
        {"Title hidden in the id", {"TiTitletle=Evil", "Plain", "http://127.0.0.1:1/s"}, "http://127.0.0.1:1/s", ""},
        {"a bare key as the id", {"File", "Plain", "http://127.0.0.1:1/s"}, "http://127.0.0.1:1/s", ""},
        {"line breaks in the id", {"a\r\nFile2=" + evil, "Plain", "http://127.0.0.1:1/s"}, "http://127.0.0.1:1/s", ""},
        {"a real id",
         {"9617a958-0601-11e8-ae97-52543be04c81", "Plain", "http://127.0.0.1:1/s"},
         "http://127.0.0.1:1/s",
         "9617a958-0601-11e8-ae97-52543be04c81"},
        {"File= in the name", {"u1", "x FiFilele=" + evil, "http://127.0.0.1:1/s"}, "http://127.0.0.1:1/s", "u1"},
        {"separators in the name",
         {"u1", QString("a\u2028File2=%1\u0085File3=%1\rTitle=x").arg(evil), "http://127.0.0.1:1/s"},
         "http://127.0.0.1:1/s",
         "u1"},
        {"File= in the query",
         {"u1", "Q", "http://127.0.0.1:1/s?File=" + evil},
         "http://127.0.0.1:1/s?%46ile=" + evil,
         "u1"},
        {"File in the path and host",
         {"u1", "P", "http://FileHost.example:81/File/x?a=b"},
         "http://filehost.example:81/%46ile/x?a=b",
         "u1"},
        {"File in a user name", {"u1", "U", "http://File:pw@h/x?a=b"}, "", ""},
        {"an https address", {"u1", "S", "https://127.0.0.1:8443/live"}, "https://127.0.0.1:8443/live", "u1"},
        {"another scheme", {"u1", "F", "ftp://127.0.0.1/x.mp3"}, "", ""},
        {"a script address", {"u1", "J", "javascript:alert(1)"}, "", ""},
        {"a line break in the address", {"u1", "L", "http://127.0.0.1/a\nFile2=" + evil}, "", ""},
        {"no address", {"u1", "N", ""}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = QString::fromUtf8(StationPlaylistText(c.station));
        EXPECT_EQ(text.isEmpty(), c.address.isEmpty()) << text.toStdString();
        if (c.address.isEmpty())
            continue;
        const PlaylistResult read = ParsePlaylist(text, "station.pls");
        const PlaylistResult alone = ParsePlaylist("File1=" + c.address, "station.pls");
        ASSERT_EQ(read.Error, plsOK);
        ASSERT_EQ(alone.Entries.size(), 1);
        EXPECT_EQ(read.Entries, alone.Entries);
        EXPECT_EQ(read.FirstTitle, StationFieldText(c.station.name).replace('=', '-'));
        EXPECT_FALSE(read.FirstTitle.contains('\r') || read.FirstTitle.contains(QChar(0x2028)));
        EXPECT_EQ(StationIdOfPlaylistText(text), c.id);
        EXPECT_EQ(text.count('\n'), c.id.isEmpty() ? 6 : 7);
    }

    // The directory's answer keeps no id that is not one, and takes only
    // url_resolved, else url, as the address.
    const RadioBrowserAnswer a = ParseRadioBrowserStations(R"([
      {"stationuuid":"x FiFilele=http://127.0.0.1:9/INJECTED.pls","name":"A","url_resolved":"http://127.0.0.1:1/a",
       "homepage":"http://127.0.0.1:9/INJECTED.pls","favicon":"http://127.0.0.1:9/INJECTED.pls"},
      {"stationuuid":"ok-1","name":"B","url_resolved":"file:///etc/passwd","url":"https://127.0.0.1:2/b"},
      {"stationuuid":"ok-2","name":"C","url_resolved":"rtsp://127.0.0.1/c","url":"mms://127.0.0.1/c"}])");
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.skipped, 1);
    ASSERT_EQ(a.stations.size(), 2);
    EXPECT_EQ(a.stations[0].uuid, "");
    EXPECT_EQ(a.stations[0].url, "http://127.0.0.1:1/a");
    EXPECT_EQ(a.stations[1].url, "https://127.0.0.1:2/b");
}

// The directory's picture for a station is kept in its playlist when it is
// an http or https address the reader leaves alone; the stream's entry is
// the same with it or without it.
TEST(StationPlaylist, TheStationsPictureIsKeptBesideItsAddress)
{
    const QString evil = QStringLiteral("http://127.0.0.1:9/INJECTED.pls");
    const struct {
        const char* what;
        QString favicon, kept;
    } cases[] = {
        {"a picture", "https://127.0.0.1/logo.png", "https://127.0.0.1/logo.png"},
        {"File in its path", "http://127.0.0.1/File/logo.png?File=" + evil,
         "http://127.0.0.1/%46ile/logo.png?%46ile=" + evil},
        {"another scheme", "file:///etc/passwd", ""},
        {"a line break", "http://127.0.0.1/a\r\nFile2=" + evil, ""},
        {"none", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RadioStation station{"u1", "Name", "http://127.0.0.1:1/s"};
        station.favicon = c.favicon;
        const QString text = QString::fromUtf8(StationPlaylistText(station));
        const PlaylistResult read = ParsePlaylist(text, "x.pls");
        ASSERT_EQ(read.Error, plsOK);
        ASSERT_EQ(read.Entries.size(), 1);
        EXPECT_EQ(StationLogoOfPlaylistText(text), c.kept);
        EXPECT_EQ(StationIdOfPlaylistText(text), QStringLiteral("u1"));
    }
    // Read from the directory's answer only when it is such an address.
    const RadioBrowserAnswer a = ParseRadioBrowserStations(R"([
      {"stationuuid":"a","name":"A","url":"http://127.0.0.1:1/a","favicon":" https://127.0.0.1/a.png "},
      {"stationuuid":"b","name":"B","url":"http://127.0.0.1:1/b","favicon":"data:image/png;base64,AAAA"}])");
    ASSERT_EQ(a.stations.size(), 2);
    EXPECT_EQ(a.stations[0].favicon, QStringLiteral("https://127.0.0.1/a.png"));
    EXPECT_EQ(a.stations[1].favicon, QString());
}

TEST(PageHtml, Utf8IsToldByItsBytes)
{
    struct Case {
        const char* what;
        QByteArray body, contentType;
        QString text;
    };
    const QList<Case> cases{
        {"UTF-8 without a charset", "Caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac", "text/html", "Café 日本"},
        {"UTF-8 with a stray Windows-1252 byte", "Caf\xc3\xa9 \x93\xe6\x97\xa5\x94", "text/html", "Café “日”"},
        {"UTF-8 cut inside its last character", "Caf\xc3\xa9 x\xe6\x97", "text/html", "Café xæ—"},
        {"a lone Windows-1252 letter at the end", "caf\xe9", "text/html", "café"},
        {"UTF-8 with no content type", "Caf\xc3\xa9", "", "Café"},
        {"a charset named in the page", "<meta charset=\"iso-8859-15\">\xa4\xe9\xff", "text/html",
         "<meta charset=\"iso-8859-15\">€éÿ"},
        {"a wrong charset named by the server", "Caf\xc3\xa9", "text/html; charset=us-ascii", "Café"},
        {"Windows-1252 without any charset", "\x93q\x94 caf\xe9", "text/html", "“q” café"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodePage(c.body, c.contentType), c.text) << c.what;
}
