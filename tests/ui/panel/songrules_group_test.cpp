// The "Song rules" group of the Advanced page: it shows the stored rules,
// saves each change, and previews the next file's name.
#include "panelfixture.h"
#include "recorder/songrules.h"
#include "tests/support/widgets/control.h"
#include "ui/panel/songrulesgroup.h"

#include <QCheckBox>
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
