// Names in any script are whole in the station list at any font size: each
// row is at least as tall as its text needs (Cyrillic and CJK included).
#include "panelfixture.h"
#include "tests/support/widgets/appfont.h"
#include "tests/support/widgets/control.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStackedWidget>
#include <QToolButton>
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

// Every control of every page, and the column of buttons beside them, is
// whole at a large font (and, run with QT_SCALE_FACTOR=2, on a high-density
// screen): inside its parent and no smaller than the least its text needs.
TEST_F(FontSizesTest, EveryPageShowsItsControlsWhole)
{
    for (const int points : {10, 16}) {
        const ScopedApplicationFont size(points);
        open();
        panel->show();
        // The column of picture buttons: captions are never cut short.
        for (const char* name :
             {"cmdRadio", "cmdAdvanced", "cmdOther", "cmdAbout", "cmdTools", "cmdSearch", "cmdHelp"}) {
            const auto* button = Control<QToolButton>(panel.get(), name);
            EXPECT_GE(button->width(), button->sizeHint().width()) << points << " pt, " << name;
        }
        auto* pages = Control<QStackedWidget>(panel.get(), "pages");
        ASSERT_EQ(pages->count(), 4);
        for (int page = 0; page < pages->count(); ++page) {
            panel->ShowPage(page);
            QWidget* shown = pages->currentWidget();
            shown->ensurePolished();
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            for (QWidget* w : shown->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(shown) || w->isWindow() || !w->parentWidget()->layout() ||
                    w->parentWidget()->inherits("QAbstractScrollArea") || w->inherits("QScrollBar"))
                    continue;
                SCOPED_TRACE(QStringLiteral("%1 pt, %2").arg(points).arg(w->objectName()).toStdString());
                EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << "outside its parent";
                const QSize least = w->minimumSizeHint();
                EXPECT_GE(w->height(), least.height());
                EXPECT_GE(w->width(), least.width());
            }
        }
        panel.reset();
    }
}
