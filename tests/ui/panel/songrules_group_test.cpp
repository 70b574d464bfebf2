// The "Song rules" group of the Advanced page: it shows the stored rules,
// saves each change, and previews the next file's name.
#include "panelfixture.h"
#include "recorder/songrules.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/songrulesgroup.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

using PanelSongRulesTest = PanelFixture;

TEST_F(PanelSongRulesTest, ShowsTheStoredRulesAndSavesEveryChange)
{
    ASSERT_TRUE(WriteAll(store.file(QStringLiteral("IgnoreList.txt")), "*jingle*\r\n"));
    SetMinSongSeconds(60);
    SetFileNamePattern(QStringLiteral("%S/%T"));
    open();
    SongRulesGroup* g = Control<SongRulesGroup>(panel.get(), "fraSongRules");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(Control<QPlainTextEdit>(g, "txtIgnoreList")->toPlainText(), QStringLiteral("*jingle*"));
    EXPECT_EQ(Control<QSpinBox>(g, "spnMinSeconds")->value(), 60);
    EXPECT_EQ(Control<QSpinBox>(g, "spnMaxSeconds")->text(), QStringLiteral("Off")); // 0 is off
    EXPECT_EQ(Control<QLineEdit>(g, "txtFileNamePattern")->text(), QStringLiteral("%S/%T"));
    EXPECT_TRUE(Control<QLabel>(g, "lblPreview")->text().startsWith(QStringLiteral("Next file: Station/Title.mp3")));
    for (QWidget* w : g->findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus && w->isWidgetType() && !qobject_cast<QLabel*>(w) && w->parentWidget() == g)
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }

    Control<QCheckBox>(g, "chkWishOnly")->click();
    Control<QCheckBox>(g, "chkIncompleteApart")->click();
    Control<QSpinBox>(g, "spnMaxSeconds")->setValue(900);
    Control<QLineEdit>(g, "txtFileNamePattern")->setText(QStringLiteral("../%A/%T"));
    EXPECT_TRUE(Control<QLabel>(g, "lblPreview")->text().contains(QStringLiteral("Artist/Title.mp3")));
    EXPECT_TRUE(Control<QLabel>(g, "lblPreview")->text().contains(QStringLiteral("outside the save folder")));
    const RecordingOptions o = ReadRecordingOptions();
    EXPECT_TRUE(o.wishOnly);
    EXPECT_TRUE(o.incompleteApart);
    EXPECT_EQ(o.maxSongSeconds, 900);
    EXPECT_EQ(o.fileNamePattern, QStringLiteral("../%A/%T"));

    // The lists: a line that cannot be used is said at once, and the lists
    // are on disk once the typing stops (or the panel closes).
    Control<QPlainTextEdit>(g, "txtWishList")->setPlainText(QStringLiteral("*wanted*\n/(broken/"));
    EXPECT_TRUE(Control<QLabel>(g, "lblProblems")->text().startsWith(QStringLiteral("WishList.txt line 2")))
        << Control<QLabel>(g, "lblProblems")->text().toStdString();
    EXPECT_TRUE(
        WaitUntil([&] { return ReadAll(store.file(QStringLiteral("WishList.txt"))).startsWith("*wanted*\r\n"); }));
    Control<QPlainTextEdit>(g, "txtIgnoreList")->setPlainText(QStringLiteral("*advert*"));
    panel.reset();
    EXPECT_EQ(ReadAll(store.file(QStringLiteral("IgnoreList.txt"))), QByteArray("*advert*\r\n"));
    EXPECT_EQ(SongRules::Load(store.path(), true).Judge(QStringLiteral("Big Advert")), TitleVerdict::Ignored);
}

// Only the list the user changed is written, and a file that could not be
// read whole (too large, a line cut, not text) is shown read-only with the
// reason and never written: each file below, as the ignore or the wish
// list, stays byte for byte while the other list is edited; edited itself
// it is written in UTF-8 with CR LF, or not at all.
TEST_F(PanelSongRulesTest, WritesOnlyTheEditedListAndNeverOneNotReadWhole)
{
    QByteArray tooLarge;
    while (tooLarge.size() <= kMaxRuleFileBytes)
        tooLarge += "*jingle*\r\n";
    const struct {
        const char* name;
        QByteArray bytes; // null: no file
        const char* note; // what the panel says of a list it does not edit; null for an editable one
        QByteArray edited;
    } cases[] = {
        {"no file", QByteArray(), nullptr, "*new*\r\n"},
        {"UTF-8, non-breaking spaces, LF",
         "*jingle*\n*\xc3\x84rger*\nA\xc2\xa0-\xc2\xa0"
         "B\n",
         nullptr,
         "*jingle*\r\n*\xc3\x84rger*\r\nA\xc2\xa0-\xc2\xa0"
         "B\r\n*new*\r\n"},
        {"Windows-1252, mixed line ends", "Caf\xe9 del Mar\r\n*Bj\xf6rk*\n\x80uro\r", nullptr,
         "Caf\xc3\xa9 del Mar\r\n*Bj\xc3\xb6rk*\r\n\xe2\x82\xacuro\r\n*new*\r\n"},
        {"over the size limit", tooLarge, "is larger than", {}},
        {"a 6,000-character line",
         "*a*\r\n" + QByteArray(6000, 'x') + "\r\n",
         "holds lines longer than 4096 bytes",
         {}},
        {"a binary line", QByteArray("*a*\r\n\x89PNG\x00\x01\xff\xfe\r\n", 15), "line 2 is not text", {}},
    };
    const QString files[] = {QStringLiteral("IgnoreList.txt"), QStringLiteral("WishList.txt")};
    for (const auto& c : cases) {
        for (int f = 0; f < 2; ++f) {
            SCOPED_TRACE(std::string(c.name) + " as " + files[f].toStdString());
            const QString path = store.file(files[f]);
            const QString otherPath = store.file(files[1 - f]);
            QFile::remove(path);
            if (!c.bytes.isNull())
                ASSERT_TRUE(WriteAll(path, c.bytes));
            ASSERT_TRUE(WriteAll(otherPath, "*other*\r\n"));
            SongRulesGroup g;
            QPlainTextEdit* edit = Control<QPlainTextEdit>(&g, f == 0 ? "txtIgnoreList" : "txtWishList");
            QPlainTextEdit* other = Control<QPlainTextEdit>(&g, f == 0 ? "txtWishList" : "txtIgnoreList");
            const QString problems = Control<QLabel>(&g, "lblProblems")->text();
            EXPECT_EQ(edit->isReadOnly(), c.note != nullptr);
            if (c.note) {
                EXPECT_TRUE(problems.contains(files[f] + QLatin1Char(' '))) << problems.toStdString();
                EXPECT_TRUE(problems.contains(QLatin1String(c.note))) << problems.toStdString();
                EXPECT_TRUE(problems.contains(edit->toolTip()));
            }

            other->appendPlainText(QStringLiteral("*more*"));
            g.SaveLists();
            EXPECT_EQ(ReadAll(otherPath), QByteArray("*other*\r\n*more*\r\n"));
            EXPECT_EQ(QFile::exists(path), !c.bytes.isNull());
            EXPECT_TRUE(ReadAll(path) == c.bytes) << "the list not edited was written";

            edit->appendPlainText(QStringLiteral("*new*")); // as a program may, though the user cannot
            g.SaveLists();
            EXPECT_TRUE(ReadAll(path) == (c.note ? c.bytes : c.edited)) << ReadAll(path).left(80).toStdString();
        }
    }
}
