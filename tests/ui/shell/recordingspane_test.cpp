// The recordings list's pane: its selection and the model's focus follow each
// other, each row action asks for the selected recording, and every control
// has an accessible name.
#include "ui/shell/recordingsmodel.h"
#include "ui/shell/recordingspane.h"

#include <QAction>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(RecordingsPane, SelectionAndFocusFollowEachOtherAndActionsAskForTheSelectedRow)
{
    RecordingsModel model;
    RecordingsPane pane(model);
    EXPECT_EQ(pane.SelectedId(), 0);
    EXPECT_FALSE(pane.stopAction()->isEnabled());

    model.Track(1, QStringLiteral("A"));
    model.Track(2, QStringLiteral("B"));
    EXPECT_EQ(pane.SelectedId(), 2); // the last one started
    EXPECT_TRUE(pane.stopAction()->isEnabled());

    pane.table()->selectionModel()->setCurrentIndex(model.index(0, 3),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(model.Focused(), 1);

    const struct {
        QAction* action;
        void (RecordingsPane::*signal)(int);
    } actions[] = {{pane.stopAction(), &RecordingsPane::stopRequested},
                   {pane.pauseAction(), &RecordingsPane::pauseRequested},
                   {pane.listenAction(), &RecordingsPane::listenRequested},
                   {pane.openFolderAction(), &RecordingsPane::openFolderRequested},
                   {pane.saveLastMinutesAction(), &RecordingsPane::saveLastMinutesRequested},
                   {pane.saveThisSongAction(), &RecordingsPane::saveThisSongRequested}};
    for (const auto& a : actions) {
        QSignalSpy spy(&pane, a.signal);
        a.action->trigger();
        ASSERT_EQ(spy.count(), 1) << a.action->text().toStdString();
        EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    }

    model.Untrack(1); // the focused one goes: the selection moves with the focus
    EXPECT_EQ(model.Focused(), 2);
    EXPECT_EQ(pane.SelectedId(), 2);
    model.Untrack(2);
    EXPECT_EQ(pane.SelectedId(), 0);
    EXPECT_FALSE(pane.listenAction()->isEnabled());
}

TEST(RecordingsPane, EveryControlHasAnAccessibleName)
{
    RecordingsModel model;
    RecordingsPane pane(model);
    EXPECT_FALSE(pane.table()->accessibleName().isEmpty());
    const auto buttons = pane.findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList names;
    for (const QToolButton* b : buttons)
        names << b->accessibleName();
    EXPECT_EQ(names, (QStringList{"Stop", "Pause", "Listen", "Open Folder", "Save the Last Minutes", "Save This Song"}));
    EXPECT_EQ(pane.table()->actions().size(), 6); // the row's context menu
}
