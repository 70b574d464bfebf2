// The Recordings window on a folder: what it lists, what it names for the
// desktop's readers, and what its player does with the rows.
#include "tests/recorder/split/noiseframes.h"
#include "tests/support/eventwait.h"
#include "tests/support/widgets/control.h"
#include "ui/display/coverthumb.h"
#include "ui/library/frmlibrary.h"
#include "ui/library/librarymodel.h"
#include "ui/library/libraryplayerbar.h"
#include "ui/library/libraryscanner.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Plays nothing; logs the files it was asked to play.
class LoggingPlayer : public IFilePlayer {
public:
    explicit LoggingPlayer(QStringList& log) : m_log(log) {}
    void SetCallbacks(Callbacks callbacks) override { m_c = std::move(callbacks); }
    void Play(const QString& path) override
    {
        m_log << path;
        m_state = State::Playing;
        m_c.stateChanged(m_state);
    }
    void Pause() override {}
    void Resume() override {}
    void Stop() override
    {
        m_log << QStringLiteral("stop");
        m_state = State::Stopped;
        if (m_c.stateChanged)
            m_c.stateChanged(m_state);
    }
    void Seek(qint64) override {}
    void SetVolume(int) override {}
    State CurrentState() const override { return m_state; }

private:
    QStringList& m_log;
    Callbacks m_c;
    State m_state = State::Stopped;
};

} // namespace

TEST(RecordingsWindow, ListsTheFolderNamesEveryControlAndPlaysWhatIsChosen)
{
    TempFolder folder;
    ASSERT_TRUE(writeFile(folder.file("Band - First.mp3"), Broadcast(40, 1)));
    ASSERT_TRUE(writeFile(folder.file("Band - Second.mp3"), Broadcast(60, 2)));
    ASSERT_TRUE(writeFile(folder.file("Band - Broken.mp3"), QByteArray("not audio at all").repeated(50)));
    ASSERT_TRUE(writeFile(folder.file("notes.txt"), "not listed"));
    QStringList played; // outlives the window, whose player logs into it to the end
    frmLibrary window(QString(), {folder.path()});
    window.player().SetPlayerMaker([&played](QString&) { return std::make_unique<LoggingPlayer>(played); });
    int started = 0;
    QObject::connect(&window, &frmLibrary::playingStarted, [&started] { ++started; });
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return !window.scanner().Running() && window.model().rowCount() == 3; }, 20000));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Recordings"));

    // Every control the user works has a name for the desktop's readers
    // (labels are read as their text).
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QSlider*>(w) || qobject_cast<QTableView*>(w);
        // Qt's own parts (a field's clear button, the table's corner) have
        // no name of ours; the window's controls all have one.
        if (control && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << w->metaObject()->className() << " " << w->objectName().toStdString();
    }

    // Sorted by title: Broken, First, Second.
    QTableView* table = window.table();
    table->sortByColumn(LibraryModel::TitleColumn, Qt::AscendingOrder);
    const auto titleAt = [table](int row) { return table->model()->index(row, 0).data().toString(); };
    ASSERT_EQ(titleAt(0), QStringLiteral("Broken"));
    EXPECT_EQ(table->model()->index(0, LibraryModel::StateColumn).data().toString(),
              QStringLiteral("cannot be played"));
    EXPECT_EQ(titleAt(1), QStringLiteral("First"));

    // A double-click plays its row; Next plays the row below.
    emit table->doubleClicked(table->model()->index(1, 2));
    EXPECT_EQ(played, QStringList{folder.file("Band - First.mp3")});
    window.player().Next();
    EXPECT_EQ(played.last(), folder.file("Band - Second.mp3"));
    EXPECT_EQ(started, 2);
    // The broken one is not played, and the window says why.
    emit table->doubleClicked(table->model()->index(0, 0));
    EXPECT_EQ(played.last(), QStringLiteral("stop"));
    EXPECT_TRUE(Control<QLabel>(&window, "lblStatus")->text().contains(QStringLiteral("cannot be played")));

    // The search leaves one row; the file removed outside goes at the rescan.
    Control<QLineEdit>(&window, "txtSearch")->setText(QStringLiteral("seco"));
    EXPECT_EQ(table->model()->rowCount(), 1);
    Control<QLineEdit>(&window, "txtSearch")->clear();
    ASSERT_TRUE(QFile::remove(folder.file("Band - First.mp3")));
    window.scanner().Rescan();
    ASSERT_TRUE(WaitUntil([&] { return !window.scanner().Running() && window.model().rowCount() == 2; }, 20000));
    EXPECT_EQ(window.model().RowOf(folder.file("Band - First.mp3")), -1);
}

// The cover beside the player: the current row's, or the playing file's
// while one plays; none for a file without one.
TEST(RecordingsWindow, ShowsTheCoverOfWhatPlaysElseOfTheCurrentRow)
{
    TempFolder folder;
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "JPEG"));
    ASSERT_TRUE(writeFile(folder.file("Band - First.mp3"), Broadcast(40, 1)));
    ASSERT_TRUE(writeFile(folder.file("Band - First.jpg"), jpeg));
    ASSERT_TRUE(writeFile(folder.file("Band - Second.mp3"), Broadcast(40, 2)));
    QStringList played;
    frmLibrary window(QString(), {folder.path()});
    window.player().SetPlayerMaker([&played](QString&) { return std::make_unique<LoggingPlayer>(played); });
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return !window.scanner().Running() && window.model().rowCount() == 2; }, 20000));
    QTableView* table = window.table();
    table->sortByColumn(LibraryModel::TitleColumn, Qt::AscendingOrder);
    table->setCurrentIndex(table->model()->index(0, 0)); // First
    ASSERT_TRUE(WaitUntil([&] { return window.cover().Shown() == jpeg; }, 5000));
    EXPECT_TRUE(window.cover().isVisible());
    emit table->doubleClicked(table->model()->index(1, 0)); // Second plays: it has none
    ASSERT_TRUE(WaitUntil([&] { return window.cover().isHidden(); }, 5000));
    table->setCurrentIndex(table->model()->index(0, 0)); // a row chosen while it plays changes nothing
    EXPECT_TRUE(window.cover().isHidden());
}
