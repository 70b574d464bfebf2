// The lists as other windows change them: the line a title becomes, a title
// added to a list file (kept whole, never twice), and the panel's editor
// that shows the change without losing what was typed into it.
#include "panelfixture.h"
#include "recorder/songrules.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/rulelists.h"
#include "ui/panel/songrulesgroup.h"

#include <QPlainTextEdit>

TEST(RuleListsTest, ATitleBecomesALineThatMatchesItAndNoOtherTitle)
{
    const QString longTitle = QStringLiteral("Long - ") + QString(1500, QLatin1Char('x'));
    const struct Case {
        const char* name;
        QString title;
        bool plain;       // the line is the title itself
        QString notTitle; // a title the line must not match; empty: none to try
    } cases[] = {
        {"plain text", QStringLiteral("AC/DC - T.N.T."), true, QStringLiteral("AC/DC - T.N.T")},
        {"a question mark", QStringLiteral("Who? - Song"), false, QStringLiteral("Whoa - Song")},
        {"a star", QStringLiteral("*NSYNC - Bye Bye Bye"), false, QStringLiteral("BSYNC - Bye Bye Bye")},
        {"a comment's mark first", QStringLiteral("# 1 - Hit"), false, QStringLiteral("# 1 - Hits")},
        {"a regular expression's slashes", QStringLiteral("/a.b/"), false, QStringLiteral("/axb/")},
        {"spaces around", QStringLiteral(" Padded - Song "), false, QStringLiteral("Padded - Song")},
        {"brackets and dots", QStringLiteral("Artist (feat. B) - [Song] $1.99"), true, QStringLiteral("Artist")},
        {"non-Latin letters", QStringLiteral("Ärzte - Schrei nach Liebe ♥"), true, QStringLiteral("Arzte - Schrei")},
        {"longer than the part matched", longTitle, false, QStringLiteral("Long - x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString line = PatternForTitle(c.title);
        ASSERT_FALSE(line.isEmpty());
        EXPECT_EQ(line == c.title, c.plain) << line.toStdString();
        TitlePatterns patterns;
        QStringList problems;
        patterns.SetLines({line}, QStringLiteral("WishList.txt"), &problems);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(patterns.Matches(c.title));
        EXPECT_TRUE(patterns.Matches(c.title.toUpper())); // in any letter case, as every list line
        EXPECT_FALSE(patterns.Matches(c.notTitle));
    }
    for (const QString& none : {QString(), QStringLiteral("   "), QStringLiteral("Bad\x01Title")})
        EXPECT_TRUE(PatternForTitle(none).isEmpty()) << none.toStdString();
}

TEST(RuleListsTest, AddingKeepsTheFileWholeAndAddsATitleOnce)
{
    const struct Case {
        const char* name;
        QByteArray before;
        const char* title;
        ListAdd outcome;
        QByteArray after; // empty: as before
    } cases[] = {
        {"to no file", "", "A - One", ListAdd::Added, "A - One\r\n"},
        {"after a last line without its end", "*jingle*\r\nB - Two", "A - One", ListAdd::Added,
         "*jingle*\r\nB - Two\r\nA - One\r\n"},
        {"to a file of other line ends, in Windows-1252", "Caf\xe9 - Song\nX - Y\n", "A - One", ListAdd::Added,
         "Caf\xc3\xa9 - Song\r\nX - Y\r\nA - One\r\n"},
        {"a title a wildcard matches already", "a - *\r\n", "A - One", ListAdd::AlreadyThere, ""},
        {"the same title in other letters", "a - one\r\n", "A - One", ListAdd::AlreadyThere, ""},
        {"a file with a line too long to keep", "A" + QByteArray(5000, 'x') + "\r\n", "A - One", ListAdd::Failed, ""},
        {"a title that is no text", "", "A\x02One", ListAdd::Failed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const QString path = folder.file(QString::fromLatin1(kWishListFile));
        if (!c.before.isEmpty())
            ASSERT_TRUE(WriteAll(path, c.before));
        QString message;
        EXPECT_EQ(AddTitleToList(folder.path(), kWishListFile, QString::fromLatin1(c.title), &message), c.outcome);
        EXPECT_FALSE(message.isEmpty());
        EXPECT_EQ(ReadAll(path), c.after.isEmpty() ? c.before : c.after);
    }
}

using RuleListsPanelTest = PanelFixture;

TEST_F(RuleListsPanelTest, ThePanelsEditorShowsATitleAddedElsewhereAndKeepsWhatWasTyped)
{
    ASSERT_TRUE(WriteAll(store.file(QString::fromLatin1(kWishListFile)), "Old - Wish\r\n"));
    open();
    SongRulesGroup* g = Control<SongRulesGroup>(panel.get(), "fraSongRules");
    ASSERT_NE(g, nullptr);
    auto* wish = Control<QPlainTextEdit>(g, "txtWishList");
    // Typed but not saved yet when the other window adds its title.
    wish->setPlainText(QStringLiteral("Old - Wish\nTyped - Wish"));
    QString message;
    ASSERT_EQ(AddTitleToList(store.path(), kWishListFile, QStringLiteral("Added - Elsewhere"), &message),
              ListAdd::Added);
    EXPECT_EQ(ReadAll(store.file(QString::fromLatin1(kWishListFile))),
              QByteArray("Old - Wish\r\nTyped - Wish\r\nAdded - Elsewhere\r\n"));
    EXPECT_EQ(wish->toPlainText(), QStringLiteral("Old - Wish\nTyped - Wish\nAdded - Elsewhere"));
    // Shown again, not edited: closing the panel writes nothing more.
    panel.reset();
    EXPECT_EQ(ReadAll(store.file(QString::fromLatin1(kWishListFile))),
              QByteArray("Old - Wish\r\nTyped - Wish\r\nAdded - Elsewhere\r\n"));
}
