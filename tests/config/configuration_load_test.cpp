#include "configfixture.h"

#include <QFile>
#include <sys/stat.h>

namespace {
struct TitleCase {
    const char* line;
    const char* title;
    bool paused;
    bool listen;
};
} // namespace

TEST_F(ConfigTest, TitleLineFlagPrefixes)
{
    const TitleCase cases[] = {
        {"!X-Jazz FM", "Jazz FM", true, true}, {"!L-Rock", "Rock", false, true},
        {"!P-Talk", "Talk", true, false},      {"!L-", "!L-", false, false},           // too short to carry a flag
        {"!P-!L-x", "!L-x", true, false},      {"!x-lower", "!x-lower", false, false}, // prefixes are case-sensitive
        {"Plain", "Plain", false, false},      {"", "", false, false},
    };
    for (const auto& c : cases) {
        m_config.bStartPaused = !c.paused;
        m_config.bStartInListenMode = !c.listen;
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(1, QString::fromUtf8(c.line))))) << c.line;
        EXPECT_EQ(m_config.sRecordingTitle, QString::fromUtf8(c.title)) << c.line;
        EXPECT_EQ(m_config.bStartPaused, c.paused) << c.line;
        EXPECT_EQ(m_config.bStartInListenMode, c.listen) << c.line;
    }
    EXPECT_TRUE(m_messages.messages.isEmpty());
}

TEST_F(ConfigTest, LengthLine)
{
    struct Case {
        const char* line;
        qint32 minutes;
        bool timed;
        bool exitAfter;
    } cases[] = {
        {" 90 ", 90, true, true}, {"S0", 0, false, false},   {"S90", 90, true, false},
        {"0", 0, false, true},    {"S 15", 15, true, false}, {"\t45", 45, true, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(5, QString::fromUtf8(c.line))))) << c.line;
        EXPECT_EQ(m_config.lTimedRecording, c.minutes) << c.line;
        EXPECT_EQ(m_config.bEnabledTimedRecording, c.timed) << c.line;
        EXPECT_EQ(m_config.bExitTimedRecording, c.exitAfter) << c.line;
    }
}

TEST_F(ConfigTest, DaysLine)
{
    struct Case {
        const char* line;
        qint32 days;
        bool deleteOld;
    } cases[] = {{"0", 0, false}, {" 0 ", 0, false}, {" 30 ", 30, true}, {"7", 7, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(6, QString::fromUtf8(c.line))))) << c.line;
        EXPECT_EQ(m_config.lDaysToKeepRecording, c.days) << c.line;
        EXPECT_EQ(m_config.bDeleteArchivesAfterTime, c.deleteOld) << c.line;
    }
}

TEST_F(ConfigTest, CaptureLine)
{
    struct Case {
        const char* line;
        qint32 mode;
        const char* name;
    } cases[] = {
        {"SONGNAMEONLY", 2, "SONGNAMEONLY"},
        {"xSONGNAMEONLY", 2, "xSONGNAMEONLY"}, // kept as read
        {"FILENAME SONGNAMEONLY", 2, "FILENAME SONGNAMEONLY"},
        {"FILENAME live.mp3", 1, "live.mp3"},
        {"FILENAME my show.mp3", 1, "my show.mp3"},
        {"MyArchive", 3, "MyArchive"},
        {"filename a.mp3", 3, "filename a.mp3"},
        {"songnameonly", 3, "songnameonly"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(3, QString::fromUtf8(c.line))))) << c.line;
        EXPECT_EQ(int(m_config.lRecordingMode), c.mode) << c.line;
        EXPECT_EQ(m_config.sStreamFileName, QString::fromUtf8(c.name)) << c.line;
    }
}

TEST_F(ConfigTest, SaveFolderLine)
{
    const QString folder = home() + QStringLiteral("rec");
    QDir().mkpath(folder);
    WriteAll(home() + QStringLiteral("afile"), "x");
    struct Case {
        QString line;
        QString path;
    } cases[] = {
        {folder, folder + QLatin1Char('/')},
        {folder + QLatin1Char('/'), folder + QLatin1Char('/')},
        {QStringLiteral("%DEFDIR%"), musicFolder() + QLatin1Char('/')},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(4, c.line)))) << qPrintable(c.line);
        EXPECT_EQ(m_config.sMP3Path, c.path) << qPrintable(c.line);
    }
    // A file is no folder to record into.
    EXPECT_FALSE(m_config.LoadConfigurationFile(writePreset(preset(4, home() + QStringLiteral("afile")))));
    EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("The path specified does not exist!")});
    // The default folder prefers the last path the user typed.
    SetLastPath(folder);
    ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset())));
    EXPECT_EQ(m_config.sMP3Path, folder + QLatin1Char('/'));
}

TEST_F(ConfigTest, WindowsFolderThatIsNotHereIsRefused)
{
    struct Case {
        const char* line;
        const char* path;
    } cases[] = {{"C:\\Music", "C:\\Music/"}, {"C:\\Music\\", "C:\\Music\\"}, {"D:\\", "D:\\"}};
    for (const auto& c : cases) {
        m_messages.messages.clear();
        EXPECT_FALSE(m_config.LoadConfigurationFile(writePreset(preset(4, QString::fromUtf8(c.line))))) << c.line;
        EXPECT_EQ(m_config.sMP3Path, QString::fromUtf8(c.path)) << c.line;
        EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("The path specified does not exist!")}) << c.line;
    }
    // A folder that does exist may be written with a final backslash.
    const QString folder = home() + QStringLiteral("rec");
    QDir().mkpath(folder);
    EXPECT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(4, folder + QLatin1Char('\\')))));
    EXPECT_EQ(m_config.sMP3Path, folder + QLatin1Char('\\'));
}

TEST_F(ConfigTest, FailureTable)
{
    const QString badPlaylist = QStringLiteral("\rInvalid Shoutcast playlist! (The web site must end in .m3u or .pls)");
    const QString noPath = QStringLiteral("The path specified does not exist!");
    const QString noMinutes =
        QStringLiteral("A number of minutes (or 0 for continuous) must be specified for the recording length!");
    const QString noDays = QStringLiteral(
        "A number of minutes must be specified for the days to keep the recording! (Even for title streams)");
    struct Case {
        QStringList lines;
        QString message; // "" = no message; a leading "\r" = after the preset's path
    } cases[] = {
        {preset(2, QStringLiteral("http://127.0.0.1/listen.PLS")), badPlaylist},
        {preset(2, QStringLiteral("http://127.0.0.1/listen.html")), badPlaylist},
        {preset(2, QStringLiteral("http://127.0.0.1/listen.pls ")), badPlaylist},
        {preset(2, QStringLiteral("http://127.0.0.1/live.m3u8.html?x=1")), badPlaylist},
        {preset(2, QStringLiteral("http://127.0.0.1/live.M3U8")), badPlaylist},
        {preset(4, home() + QStringLiteral("missing")), noPath},
        {preset(5, QStringLiteral("ninety")), noMinutes},
        {preset(5, QStringLiteral("S")), noMinutes},
        {preset(5, QString()), noMinutes},
        {preset(5, QStringLiteral("-5")), QString()}, // accepted as "5" after its first character, then unusable
        {preset(5, QStringLiteral("X90")), QString()},
        {preset(5, QStringLiteral("99999999999")), QString()},
        {preset(6, QStringLiteral("ten")), noDays},
        {preset(6, QString()), noDays},
        {preset(6, QStringLiteral("-1")), noDays},
        {preset(6, QStringLiteral("S5")), noDays},
        {preset(6, QStringLiteral("99999999999")), QString()},
        {preset().mid(0, 5), QString()},
        {preset().mid(0, 1), QString()},
        {QStringList{QStringLiteral("# only a comment")}, QString()},
        {QStringList{}, QString()},
    };
    for (const auto& c : cases) {
        m_messages.messages.clear();
        m_config.bConfigOK = true;
        const QString path = writePreset(c.lines);
        const QString row = c.lines.join(QLatin1Char('|'));
        EXPECT_FALSE(m_config.LoadConfigurationFile(path)) << qPrintable(row);
        EXPECT_FALSE(m_config.bConfigOK) << qPrintable(row);
        EXPECT_EQ(m_config.sConfigFileName, path) << qPrintable(row);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_messages.messages.isEmpty()) << qPrintable(row);
        } else {
            const QString expected = c.message.startsWith(QLatin1Char('\r')) ? path + c.message : c.message;
            EXPECT_EQ(m_messages.messages, QStringList{expected}) << qPrintable(row);
        }
    }
}

TEST_F(ConfigTest, MissingPresetOrFolder)
{
    m_config.sConfigFileName = QStringLiteral("before.tvp");
    m_config.bConfigOK = true;
    for (const QString& path : {home() + QStringLiteral("nothere.tvp"), home(), QString()}) {
        m_messages.messages.clear();
        EXPECT_FALSE(m_config.LoadConfigurationFile(path)) << qPrintable(path);
        EXPECT_EQ(m_messages.messages, QStringList{QStringLiteral("The preset file specified does not exist!")});
        EXPECT_EQ(m_config.sConfigFileName, QStringLiteral("before.tvp"));
        EXPECT_FALSE(m_config.bConfigOK);
    }
}

TEST_F(ConfigTest, FieldsReadBeforeARefusedLineStayAssigned)
{
    m_config.sShoutCastFile = QStringLiteral("http://127.0.0.1/old.pls");
    m_config.sStreamFileName = QStringLiteral("old");
    EXPECT_FALSE(m_config.LoadConfigurationFile(
        writePreset(preset(1, QStringLiteral("!X-New Title")).mid(0, 1) + QStringList{QStringLiteral("bad")})));
    EXPECT_EQ(m_config.sRecordingTitle, QStringLiteral("New Title"));
    EXPECT_TRUE(m_config.bStartPaused);
    EXPECT_TRUE(m_config.bStartInListenMode);
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/old.pls"));
    EXPECT_EQ(m_config.sStreamFileName, QStringLiteral("old"));

    // A bad length keeps the folder and capture mode read before it.
    EXPECT_FALSE(m_config.LoadConfigurationFile(writePreset(preset(5, QStringLiteral("x")))));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/listen.pls"));
    EXPECT_EQ(m_config.lRecordingMode, RecordingMode::PerSong);
    EXPECT_EQ(m_config.sMP3Path, musicFolder() + QLatin1Char('/'));
}

TEST_F(ConfigTest, LoadKeepsFieldsThePresetDoesNotCarry)
{
    m_config.bCalledFromGUI = true;
    m_config.bPreviewModeOnly = true;
    const QString path = writePreset(preset());
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_TRUE(m_config.bCalledFromGUI);
    EXPECT_TRUE(m_config.bPreviewModeOnly);
    EXPECT_TRUE(m_config.bConfigOK);
    EXPECT_EQ(m_config.sConfigFileName, path);
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/listen.pls"));
}

TEST_F(ConfigTest, LinesAfterTheSixthAreIgnored)
{
    QStringList lines = preset();
    lines << QStringLiteral("a seventh line") << QStringLiteral("!X-and more");
    ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(lines)));
    EXPECT_EQ(m_config.lDaysToKeepRecording, 30);
    EXPECT_EQ(m_config.sRecordingTitle, QStringLiteral("Jazz FM"));
}

TEST_F(ConfigTest, EveryLineEndIsAccepted)
{
    for (const QByteArray& end : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        m_config.NewConfiguration();
        ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset(3, QStringLiteral("FILENAME a.mp3")), end)))
            << end.toHex().constData();
        EXPECT_EQ(m_config.sRecordingTitle, QStringLiteral("Jazz FM"));
        EXPECT_EQ(m_config.sStreamFileName, QStringLiteral("a.mp3"));
        EXPECT_EQ(m_config.lTimedRecording, 90);
        EXPECT_EQ(m_config.lDaysToKeepRecording, 30);
    }
    // The last line may lack its line end, and line ends may be mixed.
    const QString path = home() + QStringLiteral("mixed.tvp");
    WriteAll(path, "Title\nhttp://127.0.0.1/a.m3u\r\nArchive\r%DEFDIR%\r\nS5\n 3 ");
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/a.m3u"));
    EXPECT_EQ(m_config.lRecordingMode, RecordingMode::DatedArchive);
    EXPECT_EQ(m_config.lTimedRecording, 5);
    EXPECT_EQ(m_config.lDaysToKeepRecording, 3);
    // An HLS station's playlist.
    WriteAll(path, "HLS\r\nhttp://127.0.0.1/live/index.m3u8\r\nArchive\r\n%DEFDIR%\r\n 0 \r\n 3 \r\n");
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/live/index.m3u8"));
    // Its address may carry a query (a CDN's token).
    WriteAll(path, "HLS\r\nhttp://127.0.0.1/live/index.m3u8?token=1\r\nArchive\r\n%DEFDIR%\r\n 0 \r\n 3 \r\n");
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/live/index.m3u8?token=1"));
}

TEST_F(ConfigTest, PresetWrittenOnWindowsLoads)
{
    const QString path = home() + QStringLiteral("windows.tvp");
    WriteAll(path, "# made on Windows \xA9\r\n!L-Caf\xE9 \x93Jazz\x94\r\nhttp://127.0.0.1/caf\xE9.pls\r\n"
                   "FILENAME d\xE9j\xE0.mp3\r\n%DEFDIR%\r\n 60 \r\n 0 \r\n");
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sRecordingTitle, QStringLiteral("Caf\u00e9 \u201cJazz\u201d"));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("http://127.0.0.1/caf\u00e9.pls"));
    EXPECT_EQ(m_config.sStreamFileName, QStringLiteral("d\u00e9j\u00e0.mp3"));
    EXPECT_EQ(m_config.HeaderLines(), QStringList{QStringLiteral("# made on Windows \u00a9")});
    EXPECT_FALSE(m_config.bDeleteArchivesAfterTime);
}

TEST_F(ConfigTest, CommentLinesOnlyAtTheTop)
{
    QStringList lines{QStringLiteral("# station preset"), QStringLiteral(" indented note"), QStringLiteral("#")};
    lines += preset(2, QStringLiteral("# http://127.0.0.1/x.pls"));
    ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(lines)));
    EXPECT_EQ(m_config.HeaderLines(),
              (QStringList{QStringLiteral("# station preset"), QStringLiteral(" indented note"), QStringLiteral("#")}));
    EXPECT_EQ(m_config.sShoutCastFile, QStringLiteral("# http://127.0.0.1/x.pls")); // data, not a comment

    // Each load starts the comment lines afresh.
    ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(preset())));
    EXPECT_TRUE(m_config.HeaderLines().isEmpty());
}

TEST_F(ConfigTest, NewConfigurationAndSharedInstance)
{
    ASSERT_TRUE(m_config.LoadConfigurationFile(writePreset(QStringList{QStringLiteral("#c")} + preset())));
    m_config.bCalledFromGUI = true;
    m_config.NewConfiguration();
    const clsConfiguration fresh;
    EXPECT_TRUE(m_config.bConfigOK); // untouched by NewConfiguration
    EXPECT_FALSE(fresh.bConfigOK);
    for (const clsConfiguration* c : {static_cast<const clsConfiguration*>(&m_config), &fresh,
                                      static_cast<const clsConfiguration*>(&Configuration())}) {
        EXPECT_EQ(c->sShoutCastFile, QString());
        EXPECT_EQ(c->sRecordingTitle, QString());
        EXPECT_EQ(c->sMP3Path, QString());
        EXPECT_EQ(c->lTimedRecording, 60);
        EXPECT_TRUE(c->bEnabledTimedRecording);
        EXPECT_FALSE(c->bExitTimedRecording);
        EXPECT_EQ(c->lRecordingMode, RecordingMode::PerSong);
        EXPECT_EQ(c->sStreamFileName, QString());
        EXPECT_TRUE(c->bDeleteArchivesAfterTime);
        EXPECT_EQ(c->lDaysToKeepRecording, 30);
        EXPECT_FALSE(c->bCalledFromGUI);
        EXPECT_FALSE(c->bPreviewModeOnly);
        EXPECT_FALSE(c->bStartPaused);
        EXPECT_TRUE(c->bStartInListenMode);
        EXPECT_EQ(c->sConfigFileName, QString());
        EXPECT_TRUE(c->HeaderLines().isEmpty());
    }
    EXPECT_FALSE(Configuration().bConfigOK);
    EXPECT_EQ(&Configuration(), &Configuration());
}

TEST_F(ConfigTest, OnlyARegularPresetOfSaneSizeIsRead)
{
    const QString fifo = home() + QStringLiteral("fifo.tvp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = home() + QStringLiteral("zero.tvp");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    // A valid preset padded by an ignored seventh line to the bound, and one byte past it.
    QByteArray valid = preset().join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    valid += QByteArray(clsConfiguration::kPresetMaxBytes - valid.size(), 'x');
    const QString atBound = home() + QStringLiteral("bound.tvp");
    ASSERT_TRUE(WriteAll(atBound, valid));
    const QString over = home() + QStringLiteral("over.tvp");
    ASSERT_TRUE(WriteAll(over, valid + "x"));
    struct Case {
        QString path;
        bool loads;
        QStringList messages;
    } cases[] = {
        {fifo, false, {QStringLiteral("The preset file specified is not a regular file!")}},
        {zero, false, {QStringLiteral("The preset file specified is not a regular file!")}},
        {over, false, {QStringLiteral("The preset file specified is larger than 1 MiB!")}},
        {atBound, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        m_messages.messages.clear();
        EXPECT_EQ(m_config.LoadConfigurationFile(c.path), c.loads);
        EXPECT_EQ(m_messages.messages, c.messages);
    }
}

TEST_F(ConfigTest, AWindows1252CommentLeavesTheUtf8LinesAsTheyAre)
{
    const QString path = home() + QStringLiteral("mixed.tvp");
    WriteAll(path, "# Caf\xE9\r\n!L-Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\r\nhttp://127.0.0.1/a.pls\r\nSONGNAMEONLY\r\n"
                   "%DEFDIR%\r\n 60 \r\n 0 \r\n");
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sRecordingTitle, QString::fromUtf8("Café 日本"));
    EXPECT_EQ(m_config.HeaderLines(), QStringList{QString::fromUtf8("# Café")});
    const QString saved = home() + QStringLiteral("saved.tvp");
    ASSERT_TRUE(m_config.SaveConfigurationFile(saved));
    EXPECT_TRUE(ReadAll(saved).contains("!L-Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\r\n"));
}
