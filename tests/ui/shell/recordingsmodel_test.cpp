// The recordings list: its columns' texts per state, the rows following the
// set and its recorders, the recording in focus and the tray's tip.
#include "fixture.h"
#include "recorder/recordingset.h"
#include "ui/shell/recordingsmodel.h"

#include <QSignalSpy>

namespace {

RecorderStatus Status(ConnectionState connection, bool paused = false, const QString& error = {})
{
    RecorderStatus s;
    s.connection = connection;
    s.blnPaused = paused;
    s.lastError = error;
    return s;
}

QString Cell(const RecordingsModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

} // namespace

TEST(RecordingsModelTexts, StatePerConnectionPauseErrorAndEnd)
{
    const struct {
        RecorderStatus status;
        bool ended;
        int exitStatus;
        const char* text;
    } rows[] = {
        {Status(ConnectionState::Idle), false, 0, "connecting"},
        {Status(ConnectionState::FetchingPlaylist), false, 0, "connecting"},
        {Status(ConnectionState::Connecting), false, 0, "connecting"},
        {Status(ConnectionState::AwaitingHeader), false, 0, "connecting"},
        {Status(ConnectionState::Streaming), false, 0, "recording"},
        {Status(ConnectionState::Streaming, true), false, 0, "paused"},
        {Status(ConnectionState::WaitingToRetry), false, 0, "reconnecting"},
        {Status(ConnectionState::FailingOver), false, 0, "reconnecting"},
        {Status(ConnectionState::Stopped), false, 0, "stopped"},
        {Status(ConnectionState::Streaming), true, 0, "stopped"},
        {Status(ConnectionState::Stopped), true, 3, "error: status 3"},
        // The error the recorder shows wins over everything else.
        {Status(ConnectionState::Streaming, true, "Server full"), false, 0, "error: Server full"},
        {Status(ConnectionState::Stopped, false, "Timed out"), true, 1, "error: Timed out"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RecordingsModel::StateText(row.status, row.ended, row.exitStatus), QString::fromLatin1(row.text))
            << row.text;
}

TEST(RecordingsModelTexts, ElapsedSizeAndBitRateAtTheirBoundaries)
{
    const struct {
        RecorderClock clock;
        const char* text;
    } clocks[] = {{{0, 0, 0}, "0:00:00"},
                  {{0, 0, 59}, "0:00:59"},
                  {{0, 1, 0}, "0:01:00"},
                  {{1, 59, 9}, "1:59:09"},
                  {{27, 0, 5}, "27:00:05"}};
    for (const auto& c : clocks)
        EXPECT_EQ(RecordingsModel::ElapsedText(c.clock), QString::fromLatin1(c.text));

    const struct {
        qint64 bytes;
        const char* text;
    } sizes[] = {{-1, "0 B"},      {0, "0 B"},       {1023, "1023 B"},
                 {1024, "1.0 kB"}, {1536, "1.5 kB"}, {5 * 1024 * 1024, "5.0 MB"}};
    for (const auto& s : sizes)
        EXPECT_EQ(RecordingsModel::SizeText(s.bytes), QString::fromLatin1(s.text)) << s.bytes;

    EXPECT_EQ(RecordingsModel::BitRateText(0), QString());
    EXPECT_EQ(RecordingsModel::BitRateText(-5), QString());
    EXPECT_EQ(RecordingsModel::BitRateText(128), QStringLiteral("128 kbit/s"));
}

TEST(RecordingsModelRows, UpdatesChangeOnlyTheirRowAndSameStatusSaysNothing)
{
    RecordingsModel model;
    model.Track(1, QStringLiteral("Alpha"));
    model.Track(2, QStringLiteral("Beta"));
    model.Track(2, QStringLiteral("Beta again")); // an id is tracked once
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), RecordingsModel::ColumnCount);

    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    RecorderStatus s = Status(ConnectionState::Streaming);
    s.strSongName = QStringLiteral("Song B1");
    s.lngBitRate = 64;
    s.clock.lngSecondsPassed = 7;
    model.Update(2, s, 2048);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(Cell(model, 1, RecordingsModel::StationColumn), QStringLiteral("Beta"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::StateColumn), QStringLiteral("recording"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::SongColumn), QStringLiteral("Song B1"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::ElapsedColumn), QStringLiteral("0:00:07"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::SizeColumn), QStringLiteral("2.0 kB"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::BitRateColumn), QStringLiteral("64 kbit/s"));
    EXPECT_EQ(Cell(model, 0, RecordingsModel::StateColumn), QStringLiteral("connecting"));

    model.Update(2, s, 2048);
    model.Update(9, s, 1); // not a row
    EXPECT_EQ(changes.count(), 1);

    model.End(1, 0);
    model.Retitle(2, QStringLiteral("Beta FM"));
    EXPECT_EQ(Cell(model, 0, RecordingsModel::StateColumn), QStringLiteral("stopped"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::StationColumn), QStringLiteral("Beta FM"));
    EXPECT_EQ(model.Running(), 1);
    EXPECT_FALSE(model.data(model.index(2, 0)).isValid());
    EXPECT_EQ(model.data(model.index(1, 0), Qt::UserRole).toInt(), 2);
}

TEST(RecordingsModelFocus, LastStartedSelectionAndRemovingTheFocusedOne)
{
    RecordingsModel model;
    QSignalSpy focus(&model, &RecordingsModel::focusChanged);
    EXPECT_EQ(model.Focused(), 0);
    model.Track(1, QStringLiteral("A"));
    model.Track(2, QStringLiteral("B"));
    model.Track(3, QStringLiteral("C"));
    EXPECT_EQ(model.Focused(), 3);

    model.SetFocused(1);
    EXPECT_EQ(model.Focused(), 1);
    model.SetFocused(42); // not in the list
    model.SetFocused(1);  // already
    EXPECT_EQ(model.Focused(), 1);
    EXPECT_EQ(focus.count(), 4);

    model.Untrack(2); // not the focused one
    EXPECT_EQ(model.Focused(), 1);
    model.Untrack(1); // the focus goes to the last one started of those left
    EXPECT_EQ(model.Focused(), 3);
    model.Track(4, QStringLiteral("D"));
    EXPECT_EQ(model.Focused(), 4);
    model.Untrack(4);
    model.Untrack(3);
    EXPECT_EQ(model.Focused(), 0);
    EXPECT_EQ(focus.last().at(0).toInt(), 0);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RecordingsModelTray, TipCountsTheRunningOnesThenNamesTheFocusedSong)
{
    RecordingsModel model;
    const QString own = QStringLiteral("own tip");
    EXPECT_EQ(model.TrayTip(own), own);
    model.Track(1, QStringLiteral("A"));
    EXPECT_EQ(model.TrayTip(own), own);
    model.Track(2, QStringLiteral("B"));
    EXPECT_EQ(model.TrayTip(own), QStringLiteral("2 stations recording"));
    RecorderStatus s = Status(ConnectionState::Streaming);
    s.strSongName = QStringLiteral("Song A");
    model.Update(1, s, 0);
    model.Track(3, QStringLiteral("C"));
    model.SetFocused(1);
    EXPECT_EQ(model.TrayTip(own), QStringLiteral("3 stations recording\nSong A"));
    model.End(2, 0);
    EXPECT_EQ(model.TrayTip(own), QStringLiteral("2 stations recording\nSong A"));
    model.End(3, 1);
    EXPECT_EQ(model.TrayTip(own), own); // one left running: its own tip
}

// Rows made by a real set follow its recorders: a station on the loopback
// records, its row shows the song and a growing size; stopped, it says so.
class RecordingsModelSetTest : public RecorderFixture {};

TEST_F(RecordingsModelSetTest, RowsFollowTheSetAndItsRecorders)
{
    RecordingSet set;
    RecordingsModel model(&set);
    recordSongsContinuously();
    TempFolder folderA, folderB;
    FakeRelay relayB;
    RecorderDeps depsB = deps;
    depsB.relay = &relayB;
    const int a = set.Add(QStringLiteral("Station A"), deps);
    const int b = set.Add(QStringLiteral("Station B"), depsB);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.Focused(), b);
    EXPECT_EQ(Cell(model, 0, RecordingsModel::StationColumn), QStringLiteral("Station A"));

    LoopbackStation station;
    RecordingConfig own = config;
    own.sMP3Path = folderA.path();
    own.sRecordingTitle = QStringLiteral("Station A");
    set.Recorder(a)->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    set.Recorder(a)->StartRecording(own);
    ASSERT_TRUE(WaitUntil(
        [&] { return set.Recorder(a)->Timer1Enabled() && station.last() && set.Recorder(a)->SongRulesReady(); }));
    QByteArray script = "ICY 200 OK\r\nicy-metaint:16\r\n\r\n";
    for (int i = 0; i < 40; ++i)
        script += QByteArray(16, char('a' + i % 26)) + (i == 0 ? IcyTitleBlock("Song A1") : QByteArray(1, '\0'));
    station.last()->write(script);
    // The song column shows what the recorder names it (its file's name).
    ASSERT_TRUE(
        WaitUntil([&] { return Cell(model, 0, RecordingsModel::SongColumn).startsWith(QLatin1String("Song A1")); }));
    EXPECT_EQ(Cell(model, 0, RecordingsModel::SongColumn), set.Recorder(a)->Status().strSongName);
    ASSERT_TRUE(WaitUntil([&] { return Cell(model, 0, RecordingsModel::SizeColumn) != QLatin1String("0 B"); }));
    EXPECT_EQ(Cell(model, 0, RecordingsModel::StateColumn), QStringLiteral("recording"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::SizeColumn), QStringLiteral("0 B"));

    set.Stop(a);
    EXPECT_EQ(Cell(model, 0, RecordingsModel::StateColumn), QStringLiteral("stopped"));
    set.SetTitle(b, QStringLiteral("Station B2"));
    EXPECT_EQ(Cell(model, 1, RecordingsModel::StationColumn), QStringLiteral("Station B2"));
    set.Remove(b);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.Focused(), a);
}
