// Names in any script are whole in the station list at any font size: each
// row is at least as tall as its text needs (Cyrillic and CJK included).
#include "panelfixture.h"
#include "tests/support/widgets/appfont.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTreeWidget>

using FontSizesTest = PanelFixture;

TEST_F(FontSizesTest, StationNamesInAnyScriptAreWholeInTheirRows)
{
    const QString names[] = {QStringLiteral("gqy Jazz"), QStringLiteral("Радио Юность — 北京音乐台"),
                             QStringLiteral("Ёжик ygq 東京")};
    for (const int points : {10, 12, 16}) {
        SCOPED_TRACE(points);
        const ScopedApplicationFont size(points);
        open();
        for (const QString& name : names)
            panel->AppendStation(name, QStringLiteral("http://radio.example/%1.pls").arg(points));
        panel->show();
        auto* list = panel->findChild<QTreeWidget*>(QStringLiteral("lstViewSongList"));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->topLevelItemCount(), 3);
        const QFontMetrics metrics(list->font());
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            const int row = list->visualItemRect(item).height();
            SCOPED_TRACE(item->text(0).toStdString());
            EXPECT_GE(row, metrics.lineSpacing());
            // The glyphs as laid out, fallback fonts included.
            EXPECT_GE(row, metrics.boundingRect(item->text(0)).height());
        }
        panel.reset();
    }
}
