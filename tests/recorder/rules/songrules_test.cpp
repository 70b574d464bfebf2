// The song rules: list syntax and matching, title clean-up, the file-name
// pattern, and lists that are damaged, huge or hostile.
#include "recorder/songrules.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {
QStringList lines(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}
} // namespace

TEST(TitlePatterns, WildcardsRegexesAndCommentsAgainstTheWholeTitle)
{
    const struct {
        const char* list;
        const char* title;
        bool match;
    } cases[] = {
        {"Station Jingle", "station jingle", true},    // any letter case
        {"Station Jingle", "Station Jingle 2", false}, // the whole title
        {"*jingle*", "Radio X - JINGLE of the day", true},
        {"*jingle", "jingle bells", false},
        {"jingle*", "Jingle", true}, // "*" takes nothing too
        {"a?c", "abc", true},
        {"a?c", "ac", false}, // "?" takes exactly one
        {"a?c", "abbc", false},
        {"*-*-*", "a-b-c", true},
        {"*-*-*", "a-b", false},
        {"ÄRGER*", "ärger im paradies", true}, // beyond ASCII
        {"ΜΟΥΣΙΚΗ*", "μουσική", false},        // accents are not letter case
        {"ΜΟΥΣΙΚΉ*", "μουσική τώρα", true},
        {"# Jingle", "# Jingle", false},          // a comment line
        {"   spaced   ", "spaced", true},         // a line's own spaces do not count
        {"", "", false},                          // an empty list skips nothing
        {"/^news at \\d+$/", "News at 12", true}, // regular expressions, any letter case
        {"/advert/", "Big Advert Break", true},   // searched in the title
        {"/^advert$/", "Big Advert Break", false},
        {"/[unclosed/\n*break*", "big break", true}, // a bad line is skipped, the rest works
        {"**", "anything at all", true},
        {"*llo", "hello", true}, // leading wildcards, indexed by a pair
        {"?ello", "Hello", true},
        {"*el?o*", "HELLO!", true},
        {"*elx*\n*z*", "hello", false},
        {"*o", "hello", true},
        {"?", "", false},
    };
    for (const auto& c : cases) {
        TitlePatterns p;
        QStringList problems;
        p.SetLines(lines(c.list), QStringLiteral("IgnoreList.txt"), &problems);
        EXPECT_EQ(p.Matches(QString::fromUtf8(c.title)), c.match) << c.list << " / " << c.title;
    }
}

TEST(TitlePatterns, UnusableLinesAreNamedOnceWithTheirNumber)
{
    const struct {
        QStringList lines;
        QStringList problems;
    } cases[] = {
        {{"ok", "/(unclosed/"}, {"IgnoreList.txt line 2: the regular expression does not compile"}},
        {{"/(*LIMIT_MATCH=999999999)a/"}, {"IgnoreList.txt line 1: a regular expression may not set"}},
        {{"bin\x01ary", "ok"}, {"IgnoreList.txt line 1: not text; skipped"}},
        {{"\x02", "\x03", "\x04", "\x05", "\x06"},
         {"IgnoreList.txt line 1", "IgnoreList.txt line 2", "IgnoreList.txt line 3",
          "IgnoreList.txt: 2 more lines skipped"}},
    };
    for (const auto& c : cases) {
        TitlePatterns p;
        QStringList problems;
        p.SetLines(c.lines, QStringLiteral("IgnoreList.txt"), &problems);
        ASSERT_EQ(problems.size(), c.problems.size()) << problems.join(QLatin1Char('|')).toStdString();
        for (qsizetype i = 0; i < problems.size(); ++i)
            EXPECT_TRUE(problems[i].startsWith(c.problems[i])) << problems[i].toStdString();
    }
}

TEST(TitlePatterns, CatastrophicRegexIsBoundedAndLongTitlesAreCut)
{
    TitlePatterns p;
    QStringList problems;
    // Nested quantifiers: exponential backtracking on a title that almost matches.
    p.SetLines({QStringLiteral("/^(a+)+$/"), QStringLiteral("/(x|x)*y/")}, QStringLiteral("IgnoreList.txt"), &problems);
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_TRUE(p.Matches(QStringLiteral("aaaa")));
    EXPECT_FALSE(p.Matches(QString(60, QLatin1Char('a')) + QLatin1Char('!')));
    EXPECT_FALSE(p.Matches(QString(5000, QLatin1Char('x'))));
    // A pattern on what lies past the bound never sees it.
    TitlePatterns tail;
    tail.SetLines({QStringLiteral("*END")}, QStringLiteral("IgnoreList.txt"), nullptr);
    EXPECT_TRUE(tail.Matches(QStringLiteral("THE END")));
    EXPECT_FALSE(tail.Matches(QString(kMaxRuleTitleChars, QLatin1Char('x')) + QStringLiteral("END")));
}

TEST(TitleRules, AppliedInOrderWithCapturesAndSkippedWhenBroken)
{
    const struct {
        const char* rules;
        const char* title;
        const char* result;
        int problems;
    } cases[] = {
        {"/ - radio\\.example$//", "Artist - Song - radio.example", "Artist - Song", 0},
        {"/^(.*) - (.*)$/\\2 - \\1/", "Song - Artist", "Artist - Song", 0},
        {"/a/b/\n/b/c/", "a", "c", 0},       // in order
        {"/(broken/x/\n/a/b/", "a", "b", 1}, // reported, skipped
        {"/a/b", "a", "a", 1},               // not a whole rule
        {"/a\\/b/c\\/d/", "a/b", "c/d", 0},  // "\/" is a slash
        {"# /a/b/", "a", "a", 0},
        {"/X/x/", "abc XYZ", "abc xYZ", 0}, // any letter case: "X" and "x" alike
        {"/^\\s*|\\s*$//", "  padded  ", "padded", 0},
    };
    for (const auto& c : cases) {
        TitleRules r;
        QStringList problems;
        r.SetLines(lines(c.rules), QStringLiteral("TitleRules.txt"), &problems);
        EXPECT_EQ(r.Apply(QString::fromUtf8(c.title)), QString::fromUtf8(c.result)) << c.rules;
        EXPECT_EQ(problems.size(), c.problems) << c.rules;
    }
    // A rule that doubles the title cannot make it grow without end.
    TitleRules grow;
    QStringList many(20, QStringLiteral("/(.+)/\\1\\1/"));
    grow.SetLines(many, QStringLiteral("TitleRules.txt"), nullptr);
    EXPECT_LE(grow.Apply(QStringLiteral("abc")).size(), kMaxRuleTitleChars);
}

TEST(SongFileName, TokensFoldersAndNothingOutsideTheSaveFolder)
{
    SongNameFields f;
    f.station = QStringLiteral("Test FM");
    f.title = QStringLiteral("AC/DC - Back: In Black");
    f.start = QDateTime(QDate(2026, 12, 5), QTime(14, 7));
    f.sequence = 7;
    const struct {
        const char* pattern;
        const char* name;
        bool problem;
    } cases[] = {
        {"", "ACDC - Back In Black.mp3", false}, // today's naming
        {"%A - %T", "ACDC - Back In Black.mp3", false},
        {"%S/%A/%T", "Test FM/ACDC/Back In Black.mp3", false}, // "/" in a title makes no folder
        {"%q %T (%D)", "007 Back In Black (2026-12-05 14.07).mp3", false},
        {"100%% %T %x", "100% Back In Black %x.mp3", false},
        {"../../x", "x.mp3", true},
        {"/etc/x", "etc/x.mp3", true},
        {"a/./b//c", "a/b/c.mp3", false},
        {"%S/..", "Test FM.mp3", true},
        {"/", "ACDC - Back In Black.mp3", true}, // no name left: the usual one
        {"a|b/c*d", "ab/cd.mp3", false},
        {".../..x/%T", "x/Back In Black.mp3", false}, // no hidden folders
        {"%T/.", "Back In Black.mp3", false},
    };
    for (const auto& c : cases) {
        QString problem;
        EXPECT_EQ(SongFileName(QString::fromUtf8(c.pattern), f, QStringLiteral(".mp3"), 255, &problem),
                  QString::fromUtf8(c.name))
            << c.pattern;
        EXPECT_EQ(!problem.isEmpty(), c.problem) << c.pattern;
    }
    // A title that leaves no name is named as a song without a title.
    const struct {
        const char *title, *pattern, *name;
    } untitled[] = {
        {"/", "", "Test FM-12052026.mp3"},
        {"..", "", "Test FM-12052026.mp3"},
        {"...", "%T", "Test FM-12052026.mp3"},
        {"\u2028\u0085", "", "Test FM-12052026.mp3"},
        {" .x", "", "x.mp3"},
        {"../../x", "%T", "x.mp3"},
        {"../x - .y", "%A/%T", "x/y.mp3"},
    };
    for (const auto& u : untitled) {
        f.title = QString::fromUtf8(u.title);
        f.untitled = QStringLiteral("Test FM-12052026");
        EXPECT_EQ(SongFileName(QString::fromUtf8(u.pattern), f, QStringLiteral(".mp3"), 255), QString::fromUtf8(u.name))
            << u.title << " " << u.pattern;
    }
    // Every part fits the folder's limit, the name keeps its extension.
    f.title = QString(300, QLatin1Char('x'));
    const QStringList parts = SongFileName(QStringLiteral("%T/%T"), f, QStringLiteral(".mp3"), 100).split('/');
    ASSERT_EQ(parts.size(), 2);
    EXPECT_LE(parts[0].toUtf8().size(), 100);
    EXPECT_LE(parts[1].toUtf8().size(), 100 - 16);
    EXPECT_TRUE(parts[1].endsWith(QLatin1String(".mp3")));
}

TEST(SongRules, ListFilesAreReadBoundedAndJudged)
{
    TempFolder dir;
    // Missing lists: nothing is skipped, nothing to report.
    SongRules none = SongRules::Load(dir.path(), false);
    EXPECT_TRUE(none.problems.isEmpty());
    EXPECT_EQ(none.Judge(QStringLiteral("Anything")), TitleVerdict::Record);

    // 100,000 lines, one of them invalid UTF-8 (read as Windows-1252).
    QByteArray big;
    for (int i = 0; i < 100000; ++i)
        big += "Artist " + QByteArray::number(i) + " - *\r\n";
    big += "Caf\xe9 Jingle\n";
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("IgnoreList.txt")), big));
    ASSERT_TRUE(
        WriteAll(dir.file(QStringLiteral("WishList.txt")), QByteArray("# wished\n*Wanted*\n\x00\x01\x02\xff\n", 22)));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("TitleRules.txt")), "/ - radio\\.example$//\n"));
    SongRules rules = SongRules::Load(dir.path(), true);
    EXPECT_EQ(rules.ignore.Count(), 100001);
    EXPECT_EQ(rules.problems.size(), 1) << rules.problems.join('|').toStdString(); // the binary line
    const struct {
        const char* title;
        TitleVerdict verdict;
    } cases[] = {
        {"Artist 99999 - Song", TitleVerdict::Ignored},
        {"café jingle", TitleVerdict::Ignored},
        {"Artist 100000 - Song", TitleVerdict::NotWished},
        {"The Wanted - Glad You Came", TitleVerdict::Wished},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules.Judge(QString::fromUtf8(c.title)), c.verdict) << c.title;
    EXPECT_EQ(rules.cleanUp.Apply(QStringLiteral("A - B - radio.example")), QStringLiteral("A - B"));

    // A list too large, or a folder in a list's place: said, and not used.
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("WishList.txt.d"))));
    QFile::remove(dir.file(QStringLiteral("WishList.txt")));
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("WishList.txt"))));
    ASSERT_TRUE(WriteAll(dir.file(QStringLiteral("IgnoreList.txt")), QByteArray(kMaxRuleFileBytes + 1, 'x')));
    rules = SongRules::Load(dir.path(), true);
    EXPECT_TRUE(rules.ignore.IsEmpty());
    EXPECT_TRUE(rules.wish.IsEmpty());
    const QString said = rules.problems.join(QLatin1Char('|'));
    EXPECT_TRUE(said.contains(QLatin1String("IgnoreList.txt is larger than"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("WishList.txt is a folder"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("no song is kept"))) << said.toStdString();
}
