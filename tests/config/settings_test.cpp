#include "configfixture.h"

namespace {
const QByteArray kSample =
    "; written by hand\r\n"
    "[General]\r\n"
    "Name = Tonquill \r\n"
    "quoted=\"  spaced  \"\r\n"
    "single='x'\r\n"
    "half=\"open\r\n"
    "url=http://127.0.0.1/a?b=c\r\n"
    "# hash comment=not a key\r\n"
    "empty=\r\n"
    "\r\n"
    "  [ Other ]  \r\n"
    "name=other\r\n"
    "[general]\r\n"
    "name=second section of the same name\r\n"
    "late=only here\r\n";
}  // namespace

TEST_F(ConfigTest, ReadINIValueTable)
{
    const QString ini = home() + QStringLiteral("sample.ini");
    WriteAll(ini, kSample);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"General", "name", "Tonquill"},
        {"GENERAL", "NAME", "Tonquill"},
        {"General", "quoted", "  spaced  "},
        {"General", "single", "x"},
        {"General", "half", "\"open"},
        {"General", "url", "http://127.0.0.1/a?b=c"},
        {"General", "# hash comment", ""},
        {"General", "empty", ""},
        {"General", "missing", ""},
        {"General", "late", ""},  // the first section of a name is the one read
        {"Other", "name", "other"},
        {"Nowhere", "name", ""},
        {"", "name", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadINIValue(QString::fromUtf8(c.section), QString::fromUtf8(c.key), ini), QString::fromUtf8(c.value))
            << c.section << "/" << c.key;
    EXPECT_EQ(ReadINIValue(QStringLiteral("General"), QStringLiteral("name"), home() + QStringLiteral("none.ini")),
              QString());
    EXPECT_EQ(ReadINIValue(QStringLiteral("General"), QStringLiteral("name"), home()), QString());
}

TEST_F(ConfigTest, ReadINIValueAcceptsEveryEncodingAndLineEnd)
{
    const QString ini = home() + QStringLiteral("enc.ini");
    for (const QByteArray& bytes : {QByteArray("[S]\nK=caf\xC3\xA9\n"), QByteArray("[S]\rK=caf\xE9\r"),
                                    QByteArray("\xEF\xBB\xBF[S]\r\nK=caf\xC3\xA9")}) {
        WriteAll(ini, bytes);
        EXPECT_EQ(ReadINIValue(QStringLiteral("S"), QStringLiteral("k"), ini), QStringLiteral("caf\u00e9"))
            << bytes.toHex().constData();
    }
}

TEST_F(ConfigTest, LongValuesAreCutTo749)
{
    const QString ini = home() + QStringLiteral("long.ini");
    for (const int length : {748, 749, 750, 2000}) {
        const QString value(length, QLatin1Char('v'));
        ASSERT_TRUE(WriteINIValue(QStringLiteral("S"), QStringLiteral("K"), value, ini));
        EXPECT_EQ(ReadINIValue(QStringLiteral("S"), QStringLiteral("k"), ini).size(), qMin(length, 749)) << length;
        EXPECT_TRUE(ReadAll(ini).contains(value.toUtf8()));  // the file keeps the whole value
    }
}

TEST_F(ConfigTest, WriteINIValueCreatesAndKeepsTheRest)
{
    const QString ini = home() + QStringLiteral("w.ini");
    ASSERT_TRUE(WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("ieagent"), QStringLiteral("1"), ini));
    EXPECT_EQ(ReadAll(ini), QByteArray("[Advanced]\r\nIEAGENT=1\r\n"));

    WriteAll(ini, kSample);
    struct Step {
        const char* section;
        const char* key;
        const char* value;
    } steps[] = {
        {"general", "NAME", "Renamed"},  // replaces the line in place, key now in upper case
        {"Other", "added", "a"},         // goes at the end of its section, before the blank line
        {"New Section", "k", "v"},       // a new section at the end of the file
    };
    for (const auto& s : steps)
        ASSERT_TRUE(WriteINIValue(QString::fromUtf8(s.section), QString::fromUtf8(s.key), QString::fromUtf8(s.value), ini));
    QByteArray expected = kSample;
    expected.replace("Name = Tonquill \r\n", "NAME=Renamed\r\n");
    expected.replace("name=other\r\n", "name=other\r\nADDED=a\r\n");
    expected += "\r\n[New Section]\r\nK=v\r\n";
    EXPECT_EQ(ReadAll(ini), expected);
    EXPECT_EQ(ReadINIValue(QStringLiteral("General"), QStringLiteral("name"), ini), QStringLiteral("Renamed"));
    EXPECT_EQ(ReadINIValue(QStringLiteral("Other"), QStringLiteral("added"), ini), QStringLiteral("a"));
    EXPECT_EQ(QDir(home()).entryList(QDir::Files), QStringList{QStringLiteral("w.ini")});  // no temporary left
}

TEST_F(ConfigTest, WriteINIValueCannotInjectLines)
{
    const QString ini = home() + QStringLiteral("inject.ini");
    ASSERT_TRUE(WriteINIValue(QStringLiteral("LastPath"), QStringLiteral("LastPath"),
                              QStringLiteral("/music\r\n[Advanced]\nADVANCED=7"), ini));
    EXPECT_EQ(ReadINIValue(QStringLiteral("Advanced"), QStringLiteral("advanced"), ini), QString());
    EXPECT_EQ(ReadINIValue(QStringLiteral("LastPath"), QStringLiteral("lastpath"), ini),
              QStringLiteral("/music [Advanced] ADVANCED=7"));
}

TEST_F(ConfigTest, WriteINIValueFailures)
{
    EXPECT_FALSE(WriteINIValue(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"),
                               home() + QStringLiteral("no/folder/x.ini")));
    EXPECT_FALSE(WriteINIValue(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"), home()));
    EXPECT_FALSE(WriteINIValue(QStringLiteral("S"), QString(), QStringLiteral("v"), home() + QStringLiteral("y.ini")));
    EXPECT_FALSE(QFile::exists(home() + QStringLiteral("y.ini")));
}

TEST_F(ConfigTest, WindowsIniIsRewrittenWithoutLoss)
{
    const QString ini = home() + QStringLiteral("win.ini");
    WriteAll(ini, "[LastPath]\r\nLASTPATH=C:\\M\xFCsik\r\n");
    ASSERT_TRUE(WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("Advanced"), QStringLiteral("0"), ini));
    EXPECT_EQ(ReadAll(ini), QByteArray("[LastPath]\r\nLASTPATH=C:\\M\xC3\xBCsik\r\n\r\n[Advanced]\r\nADVANCED=0\r\n"));
}

TEST_F(ConfigTest, IEAgentValues)
{
    EXPECT_FALSE(GetIEAgent());  // no file at all
    struct Case {
        QByteArray file;
        bool on;
    } cases[] = {
        {"[Advanced]\r\nIEAGENT=\r\n", false}, {"[Advanced]\r\nIEAGENT=0\r\n", false},
        {"[Advanced]\r\nIEAGENT=1\r\n", true}, {"[Advanced]\r\nieagent= 2 \r\n", true},
        {"[Advanced]\r\nIEAGENT=yes\r\n", false}, {"[Other]\r\nIEAGENT=1\r\n", false},
    };
    for (const auto& c : cases) {
        WriteAll(home() + QStringLiteral("tavrix.ini"), c.file);
        EXPECT_EQ(GetIEAgent(), c.on) << c.file.constData();
    }
    SetIEAgent(true);
    EXPECT_TRUE(GetIEAgent());
    EXPECT_EQ(ReadTavrixValue(QStringLiteral("Advanced"), QStringLiteral("IEAgent")), QStringLiteral("1"));
    SetIEAgent(false);
    EXPECT_FALSE(GetIEAgent());
    EXPECT_TRUE(ReadAll(home() + QStringLiteral("tavrix.ini")).contains("IEAGENT=0\r\n"));
}

TEST_F(ConfigTest, AdvancedOnAFreshInstallation)
{
    SetAdvanced(GetAdvanced());
    EXPECT_EQ(ReadAll(home() + QStringLiteral("Tonquill.ini")), QByteArray("[Advanced]\r\nADVANCED=0\r\n"));
    struct Case {
        const char* stored;
        qint32 value;
    } cases[] = {{"42", 42}, {"", 0}, {"abc", 0}, {" -7", -7}, {"12abc", 12}, {"99999999999", 0}};
    for (const auto& c : cases) {
        WriteINIValue(QStringLiteral("Advanced"), QStringLiteral("Advanced"), QString::fromUtf8(c.stored), TonquillIniPath());
        EXPECT_EQ(GetAdvanced(), c.value) << c.stored;
    }
    SetAdvanced(-3);
    EXPECT_TRUE(ReadAll(TonquillIniPath()).contains("ADVANCED=-3\r\n"));
}

TEST_F(ConfigTest, LastPathRoundTrip)
{
    EXPECT_EQ(GetLastPath(), QString());
    SetLastPath(QStringLiteral("/home/me/Radio \u00e9"));
    EXPECT_EQ(GetLastPath(), QStringLiteral("/home/me/Radio \u00e9"));
    SetAdvanced(5);
    EXPECT_EQ(GetLastPath(), QStringLiteral("/home/me/Radio \u00e9"));  // other sections keep their values
    EXPECT_EQ(GetAdvanced(), 5);
}

TEST_F(ConfigTest, DefaultFolderFallbacks)
{
    const QString last = home() + QStringLiteral("Last");
    QDir().mkpath(last);
    const QString program = home().chopped(1);
    struct Case {
        QString lastPath;  // stored LastPath
        bool music;        // the music folder exists
        bool documents;    // the documents folder exists
        QString withFallback;
        QString withoutFallback;
    } cases[] = {
        {last, true, true, last, last},
        {home() + QStringLiteral("Gone"), true, true, musicFolder(), musicFolder()},
        {QString(), true, true, musicFolder(), musicFolder()},
        {home() + QStringLiteral("Gone"), false, true, documentsFolder(), documentsFolder()},
        {home() + QStringLiteral("Gone"), false, false, program, QString()},
        {last, false, false, last, last},
    };
    for (const auto& c : cases) {
        SetLastPath(c.lastPath);
        SetSpecialFolderOverride(SpecialFolder::Music, c.music ? musicFolder() : home() + QStringLiteral("NoMusic"));
        SetSpecialFolderOverride(SpecialFolder::Documents,
                                 c.documents ? documentsFolder() : home() + QStringLiteral("NoDocs"));
        EXPECT_EQ(GetDefaultFolder(true), c.withFallback) << qPrintable(c.lastPath);
        EXPECT_EQ(GetDefaultFolder(false), c.withoutFallback) << qPrintable(c.lastPath);
    }
    EXPECT_FALSE(QFile::exists(home() + QStringLiteral("NoMusic")));  // never created
}

TEST_F(ConfigTest, SpecialFolderText)
{
    SetSpecialFolderOverride(SpecialFolder::Music, QStringLiteral("/m/music") + QChar(u'\0') + QStringLiteral("junk"));
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Music), QStringLiteral("/m/music"));
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Documents), documentsFolder());
    SetSpecialFolderOverride(SpecialFolder::Documents, QString());
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Documents), QString());
}
