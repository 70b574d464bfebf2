#include "configfixture.h"

namespace {
clsConfiguration make(const QString& title, bool paused, bool listen, qint32 mode, const QString& stream,
                      qint32 minutes, bool timed, bool exitAfter, qint32 days, bool deleteOld)
{
    clsConfiguration c;
    c.sRecordingTitle = title;
    c.sShoutCastFile = QStringLiteral("http://127.0.0.1:8000/listen.pls");
    c.bStartPaused = paused;
    c.bStartInListenMode = listen;
    c.lRecordingMode = RecordingMode(mode);
    c.sStreamFileName = stream;
    c.lTimedRecording = minutes;
    c.bEnabledTimedRecording = timed;
    c.bExitTimedRecording = exitAfter;
    c.lDaysToKeepRecording = days;
    c.bDeleteArchivesAfterTime = deleteOld;
    c.sMP3Path = QStringLiteral("/somewhere/else/");
    return c;
}
}  // namespace

TEST_F(ConfigTest, SavedBytes)
{
    struct Case {
        clsConfiguration config;
        QByteArray bytes;
    } cases[] = {
        {make("Jazz", true, true, 2, "ignored", 90, true, true, 30, true),
         "!X-Jazz\r\nhttp://127.0.0.1:8000/listen.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n 90 \r\n 30 \r\n"},
        {make("Talk", true, false, 1, "show.mp3", 45, true, false, 7, true),
         "!P-Talk\r\nhttp://127.0.0.1:8000/listen.pls\r\nFILENAME show.mp3\r\n%DEFDIR%\r\nS45\r\n 7 \r\n"},
        {make("Rock", false, true, 3, "Archive", 45, false, false, 7, false),
         "!L-Rock\r\nhttp://127.0.0.1:8000/listen.pls\r\nArchive\r\n%DEFDIR%\r\nS0\r\n 0 \r\n"},
        {make("Caf\u00e9", false, false, 7, "Other", 0, true, true, 0, true),
         "Caf\xC3\xA9\r\nhttp://127.0.0.1:8000/listen.pls\r\nOther\r\n%DEFDIR%\r\n 0 \r\n 0 \r\n"},
    };
    int n = 0;
    for (auto& c : cases) {
        const QString path = home() + QStringLiteral("out%1.tvp").arg(n++);
        ASSERT_TRUE(c.config.SaveConfigurationFile(path));
        EXPECT_EQ(ReadAll(path), c.bytes) << n;
        EXPECT_EQ(c.config.sConfigFileName, path);
        EXPECT_EQ(c.config.sMP3Path, QStringLiteral("/somewhere/else/"));  // the save folder is never written
    }
}

TEST_F(ConfigTest, RoundTrips)
{
    const clsConfiguration cases[] = {
        make("Jazz FM", true, true, 2, "SONGNAMEONLY", 90, true, true, 30, true),
        make("Talk", true, false, 1, "my show.mp3", 45, true, false, 7, true),
        make("Rock", false, true, 3, "Rock Archive", 0, false, false, 0, false),
        make("Plain \u00e9\u20ac \U0001F3B5", false, false, 3, "Z", 1440, true, true, 365, true),
    };
    for (const auto& original : cases) {
        clsConfiguration saved = original;
        const QString path = home() + QStringLiteral("round.tvp");
        ASSERT_TRUE(saved.SaveConfigurationFile(path));
        m_config.NewConfiguration();
        ASSERT_TRUE(m_config.LoadConfigurationFile(path)) << qPrintable(original.sRecordingTitle);
        EXPECT_EQ(m_config.sRecordingTitle, original.sRecordingTitle);
        EXPECT_EQ(m_config.sShoutCastFile, original.sShoutCastFile);
        EXPECT_EQ(m_config.lRecordingMode, original.lRecordingMode);
        EXPECT_EQ(m_config.sStreamFileName, original.sStreamFileName);
        EXPECT_EQ(m_config.bStartPaused, original.bStartPaused);
        EXPECT_EQ(m_config.bStartInListenMode, original.bStartInListenMode);
        EXPECT_EQ(m_config.lTimedRecording, original.lTimedRecording);
        EXPECT_EQ(m_config.bEnabledTimedRecording, original.bEnabledTimedRecording);
        EXPECT_EQ(m_config.bExitTimedRecording, original.bExitTimedRecording);
        EXPECT_EQ(m_config.lDaysToKeepRecording, original.lDaysToKeepRecording);
        EXPECT_EQ(m_config.bDeleteArchivesAfterTime, original.bDeleteArchivesAfterTime);
        EXPECT_EQ(m_config.sMP3Path, musicFolder() + QLatin1Char('/'));
    }
}

TEST_F(ConfigTest, DisabledValuesComeBackAsZero)
{
    clsConfiguration c = make("T", false, false, 2, "", 90, false, true, 30, false);
    const QString path = home() + QStringLiteral("off.tvp");
    ASSERT_TRUE(c.SaveConfigurationFile(path));
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.lTimedRecording, 0);
    EXPECT_FALSE(m_config.bEnabledTimedRecording);
    EXPECT_EQ(m_config.lDaysToKeepRecording, 0);
    EXPECT_FALSE(m_config.bDeleteArchivesAfterTime);
    // Saving again writes 0 again.
    ASSERT_TRUE(m_config.SaveConfigurationFile(path));
    EXPECT_TRUE(ReadAll(path).endsWith("\r\n 0 \r\n 0 \r\n"));
}

TEST_F(ConfigTest, TitleThatLooksLikeAFlagIsWrittenUnchanged)
{
    clsConfiguration c = make("!P-Title", false, false, 2, "", 60, true, true, 30, true);
    const QString path = home() + QStringLiteral("flag.tvp");
    ASSERT_TRUE(c.SaveConfigurationFile(path));
    EXPECT_TRUE(ReadAll(path).startsWith("!P-Title\r\n"));
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sRecordingTitle, QStringLiteral("Title"));
    EXPECT_TRUE(m_config.bStartPaused);
    EXPECT_FALSE(m_config.bStartInListenMode);
}

TEST_F(ConfigTest, ExistingFolderIsSavedAsDefaultFolder)
{
    const QString folder = home() + QStringLiteral("rec");
    QDir().mkpath(folder);
    const QString path = writePreset(preset(4, folder));
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    EXPECT_EQ(m_config.sMP3Path, folder + QLatin1Char('/'));
    ASSERT_TRUE(m_config.SaveConfigurationFile(path));
    EXPECT_EQ(SplitLines(QString::fromUtf8(ReadAll(path))).value(3), QStringLiteral("%DEFDIR%"));
}

TEST_F(ConfigTest, CommentLinesAreWrittenBack)
{
    const QStringList header{QStringLiteral("# my favourite"), QStringLiteral(" second \u00e9")};
    const QString path = writePreset(header + preset());
    ASSERT_TRUE(m_config.LoadConfigurationFile(path));
    const QString out = home() + QStringLiteral("copy.tvp");
    ASSERT_TRUE(m_config.SaveConfigurationFile(out));
    EXPECT_EQ(ReadAll(out), QByteArray("# my favourite\r\n second \xC3\xA9\r\n!L-Jazz FM\r\n"
                                       "http://127.0.0.1/listen.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n 90 \r\n 30 \r\n"));
    m_config.NewConfiguration();
    m_config.sShoutCastFile = QStringLiteral("a.pls");
    ASSERT_TRUE(m_config.SaveConfigurationFile(out));
    EXPECT_TRUE(ReadAll(out).startsWith("!L-\r\na.pls\r\n"));
}

TEST_F(ConfigTest, SaveReplacesALongerFileWhole)
{
    const QString path = home() + QStringLiteral("long.tvp");
    WriteAll(path, QByteArray(5000, 'x'));
    clsConfiguration c = make("A", false, false, 2, "", 1, true, true, 1, true);
    ASSERT_TRUE(c.SaveConfigurationFile(path));
    EXPECT_EQ(ReadAll(path), QByteArray("A\r\nhttp://127.0.0.1:8000/listen.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n 1 \r\n 1 \r\n"));
    EXPECT_EQ(QDir(home()).entryList(QDir::Files), QStringList{QStringLiteral("long.tvp")});  // no temporary left
}

TEST_F(ConfigTest, SaveFailureLeavesTheNameAlone)
{
    clsConfiguration c = make("A", false, false, 2, "", 1, true, true, 1, true);
    c.sConfigFileName = QStringLiteral("before.tvp");
    for (const QString& path : {home() + QStringLiteral("no/such/folder/a.tvp"), home(), QString()}) {
        EXPECT_FALSE(c.SaveConfigurationFile(path)) << qPrintable(path);
        EXPECT_EQ(c.sConfigFileName, QStringLiteral("before.tvp"));
    }
    EXPECT_TRUE(m_messages.messages.isEmpty());
}
