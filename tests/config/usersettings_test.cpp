#include "configfixture.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

TEST_F(ConfigTest, UserSettingsDefaultsAndReplace)
{
    const QString app = QStringLiteral("Tonquill");
    EXPECT_EQ(GetSetting(app, QStringLiteral("Registration"), QStringLiteral("Name"), QStringLiteral("none")),
              QStringLiteral("none"));
    SaveSetting(app, QStringLiteral("Registration"), QStringLiteral("Name"), QStringLiteral("first"));
    SaveSetting(app, QStringLiteral("Registration"), QStringLiteral("Name"), QStringLiteral("second"));
    EXPECT_EQ(GetSetting(app, QStringLiteral("Registration"), QStringLiteral("Name"), QString()), QStringLiteral("second"));
    // Sections and applications are kept apart.
    EXPECT_EQ(GetSetting(app, QStringLiteral("Other"), QStringLiteral("Name"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(GetSetting(QStringLiteral("Discwright"), QStringLiteral("Registration"), QStringLiteral("Name"),
                         QStringLiteral("d")),
              QStringLiteral("d"));
    // An empty value is a value, not a missing one.
    SaveSetting(app, QStringLiteral("Registration"), QStringLiteral("Empty"), QString());
    EXPECT_EQ(GetSetting(app, QStringLiteral("Registration"), QStringLiteral("Empty"), QStringLiteral("d")), QString());
    EXPECT_EQ(UserSettingsFile(app), home() + QStringLiteral("Tonquill-user.ini"));
    EXPECT_TRUE(QFile::exists(UserSettingsFile(app)));
}

TEST_F(ConfigTest, UserSettingsKeepEveryText)
{
    const QString app = QStringLiteral("Tonquill");
    const QString values[] = {
        QStringLiteral("a, b, c"),           QStringLiteral("key=value; x"), QStringLiteral("\"quoted\""),
        QStringLiteral("  padded  "),        QStringLiteral("C:\\Music\\"),  QStringLiteral("caf\u00e9 \u20ac"),
        QStringLiteral("two\r\nlines"),      QStringLiteral("[section]"),    QStringLiteral("@Variant(x)"),
    };
    int n = 0;
    for (const QString& v : values)
        SaveSetting(app, QStringLiteral("Registration"), QStringLiteral("K%1").arg(n++), v);
    n = 0;
    for (const QString& v : values)
        EXPECT_EQ(GetSetting(app, QStringLiteral("Registration"), QStringLiteral("K%1").arg(n++), QString()), v)
            << qPrintable(v);
    // Separators in names do not open sub-groups of their own.
    SaveSetting(app, QStringLiteral("A/B"), QStringLiteral("C\\D"), QStringLiteral("v"));
    EXPECT_EQ(GetSetting(app, QStringLiteral("A/B"), QStringLiteral("C\\D"), QString()), QStringLiteral("v"));
    EXPECT_EQ(GetSetting(app, QStringLiteral("A"), QStringLiteral("B/C"), QStringLiteral("none")), QStringLiteral("none"));
}

TEST_F(ConfigTest, RecordingOptionsHaveTheirDefaultsAndReadBackAsStored)
{
    const RecordingOptions fresh = ReadRecordingOptions();
    EXPECT_FALSE(fresh.writeID3v2);
    EXPECT_TRUE(fresh.cleanCuts);  // a new user's songs are cut in the silence
    EXPECT_EQ(fresh.cutWindowMs, 2000);
    EXPECT_EQ(fresh.repeatPolicy, RecordingOptions::Repeat::Replace);
    SetCutSongsInSilence(false);
    EXPECT_FALSE(ReadRecordingOptions().cleanCuts);  // a stored choice stays

    SetWriteID3v2Tags(true);
    SetCutSongsInSilence(true);
    SetCutWindowMs(1500);
    const RecordingOptions on = ReadRecordingOptions();
    EXPECT_TRUE(on.writeID3v2);
    EXPECT_TRUE(on.cleanCuts);
    EXPECT_EQ(on.cutWindowMs, 1500);
    EXPECT_EQ(GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("ID3v2Tags"), QString()),
              QStringLiteral("1"));
    SetWriteID3v2Tags(false);
    EXPECT_FALSE(WriteID3v2Tags());

    // The window: any stored text that is not 0..10000 gives the default.
    const struct {
        const char* stored;
        int ms;
    } windows[] = {{"0", 0}, {"10000", 10000}, {"10001", 2000}, {"-1", 2000}, {"abc", 2000}, {" 750 ", 750}, {"", 2000}};
    for (const auto& w : windows) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("CutWindowMs"),
                    QString::fromLatin1(w.stored));
        EXPECT_EQ(CutWindowMs(), w.ms) << w.stored;
    }
}

TEST_F(ConfigTest, RepeatPolicyIsReadInAnyCaseAndDefaultsToReplace)
{
    using R = RecordingOptions::Repeat;
    const struct {
        const char* stored;
        R policy;
    } values[] = {{"replace", R::Replace}, {"keep", R::Keep}, {" Skip ", R::Skip}, {"KEEP", R::Keep},
                  {"", R::Replace},        {"never", R::Replace}};
    for (const auto& v : values) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("RepeatPolicy"),
                    QString::fromLatin1(v.stored));
        EXPECT_EQ(ReadRecordingOptions().repeatPolicy, v.policy) << v.stored;
    }
    SetRepeatPolicy(R::Skip);
    EXPECT_EQ(GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("RepeatPolicy"),
                         QString()),
              QStringLiteral("skip"));
}

TEST_F(ConfigTest, HlsVariantIsTheHighestUnlessLowestIsStored)
{
    const struct {
        const char* stored;
        bool lowest;
    } values[] = {{"lowest", true}, {" LOWEST ", true}, {"highest", false}, {"", false}, {"low", false}};
    for (const auto& v : values) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("HlsVariant"),
                    QString::fromLatin1(v.stored));
        EXPECT_EQ(HlsLowestVariant(), v.lowest) << v.stored;
    }
    SetHlsLowestVariant(false);
    EXPECT_EQ(GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("HlsVariant"),
                         QString()),
              QStringLiteral("highest"));
}

TEST_F(ConfigTest, GiveUpMinutesDefaultsToFiveAndRejectsNonsense)
{
    EXPECT_EQ(ReadRecordingOptions().giveUpMinutes, 5);
    SetGiveUpMinutes(0);
    EXPECT_EQ(ReadRecordingOptions().giveUpMinutes, 0);  // 0: keep trying
    const struct {
        const char* stored;
        int minutes;
    } values[] = {{"0", 0}, {"10080", 10080}, {"10081", 5}, {"-1", 5}, {"x", 5}, {" 30 ", 30}, {"", 5}};
    for (const auto& v : values) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("GiveUpMinutes"),
                    QString::fromLatin1(v.stored));
        EXPECT_EQ(GiveUpMinutes(), v.minutes) << v.stored;
    }
}

TEST_F(ConfigTest, WatchMinutesDefaultsToFiveAndKeepsAnHourAtMost)
{
    EXPECT_EQ(WatchMinutes(), 5);
    SetWatchMinutes(12);
    EXPECT_EQ(WatchMinutes(), 12);
    const struct {
        const char* stored;
        int minutes;
    } values[] = {{"1", 1}, {"60", 60}, {"61", 5}, {"0", 5}, {"-3", 5}, {"x", 5}, {" 7 ", 7}, {"", 5}};
    for (const auto& v : values) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("WatchMinutes"),
                    QString::fromLatin1(v.stored));
        EXPECT_EQ(WatchMinutes(), v.minutes) << v.stored;
    }
}

TEST_F(ConfigTest, SongRuleSettingsAreOffByDefaultAndReadBackAsStored)
{
    const RecordingOptions fresh = ReadRecordingOptions();
    EXPECT_FALSE(fresh.wishOnly);
    EXPECT_EQ(fresh.minSongSeconds, 0);
    EXPECT_EQ(fresh.maxSongSeconds, 0);
    EXPECT_FALSE(fresh.incompleteApart);
    EXPECT_TRUE(fresh.fileNamePattern.isEmpty());

    SetWishOnly(true);
    SetMinSongSeconds(90);
    SetMaxSongSeconds(1200);
    SetIncompleteApart(true);
    SetFileNamePattern(QStringLiteral(" %S/%A - %T "));
    const RecordingOptions on = ReadRecordingOptions();
    EXPECT_TRUE(on.wishOnly);
    EXPECT_EQ(on.minSongSeconds, 90);
    EXPECT_EQ(on.maxSongSeconds, 1200);
    EXPECT_TRUE(on.incompleteApart);
    EXPECT_EQ(on.fileNamePattern, QStringLiteral("%S/%A - %T"));

    // Lengths: anything but 0..86400 seconds is off.
    const struct {
        const char* stored;
        int seconds;
    } lengths[] = {{"0", 0}, {"86400", 86400}, {"86401", 0}, {"-5", 0}, {"1e3", 0}, {" 30 ", 30}, {"", 0}};
    for (const auto& l : lengths) {
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("MinSongSeconds"),
                    QString::fromLatin1(l.stored));
        SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("MaxSongSeconds"),
                    QString::fromLatin1(l.stored));
        EXPECT_EQ(MinSongSeconds(), l.seconds) << l.stored;
        EXPECT_EQ(MaxSongSeconds(), l.seconds) << l.stored;
    }
}

// What "--record-last-preset" records, or why it cannot, for each kind of
// last preset; a path is never shown longer than a message can hold.
TEST_F(ConfigTest, TheLastPresetToRecordOrWhyNot)
{
    const QString good = home() + QStringLiteral("good.tvp");
    ASSERT_TRUE(WriteAll(good, "Station\r\nhttp://127.0.0.1:1/a.pls\r\n"));
    const QString locked = home() + QStringLiteral("locked.tvp");
    ASSERT_TRUE(WriteAll(locked, "Station\r\n"));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    ASSERT_TRUE(QDir().mkpath(home() + QStringLiteral("folder.tvp")));
    const QString huge = QStringLiteral("/tmp/") + QString(900 * 1000, QLatin1Char('p')) + QStringLiteral(".tvp");
    const struct {
        const char* what;
        QString last;
        QString problem; // "" when the preset is recorded
        bool asRoot;     // the case holds for root too
    } cases[] = {
        {"none yet", QString(), QStringLiteral("No preset has been recorded yet: there is no last preset to record."),
         true},
        {"deleted", home() + QStringLiteral("gone.tvp"),
         QStringLiteral("The last preset %1gone.tvp cannot be found.").arg(home()), true},
        {"a path of 900,000 characters", huge,
         QStringLiteral("The last preset %1\u2026%2 cannot be found.").arg(huge.left(79), huge.right(80)), true},
        {"a folder", home() + QStringLiteral("folder.tvp"),
         QStringLiteral("The last preset %1folder.tvp is a folder, not a preset file.").arg(home()), true},
        {"a device", QStringLiteral("/dev/null"), QStringLiteral("The last preset /dev/null is not a preset file."),
         true},
        {"unreadable", locked,
         QStringLiteral("The last preset %1 cannot be read (Permission denied).").arg(locked), false},
        {"good", good, QString(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.asRoot && ::geteuid() == 0)
            continue; // permissions do not apply to root
        SetLastPreset(c.last);
        QString problem = QStringLiteral("stale");
        const QString preset = LastPresetToRecord(&problem);
        EXPECT_EQ(preset, c.problem.isEmpty() ? c.last : QString());
        EXPECT_EQ(problem, c.problem);
        EXPECT_LE(problem.size(), 200);
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
