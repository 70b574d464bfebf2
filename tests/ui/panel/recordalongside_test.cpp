// The panel with recordings alongside: "Record Alongside" starts the station
// shown beside the others, "Record" starts only its own station again, a
// station is never recorded twice, and closing asks while any records.
#include "panelfixture.h"
#include "tests/support/widgets/control.h"
#include "tests/ui/shell/alongsidestations.h"
#include "ui/shell/desktoprecordings.h"
#include "ui/shell/recordingspane.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>

// A shell that knows of the recordings alongside, as the program does.
struct AlongsideShell : RecordingDesktopShell {
    DesktopRecordings* recordings = nullptr;
    bool AnyRecordingRunning() override { return recordings && recordings->AlongsideRecording(); }
};

class RecordAlongsideTest : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        recordSongsContinuously();
        recordings = std::make_unique<DesktopRecordings>(*recorder, deps);
        panelDeps.recordings = recordings.get();
        alongsideShell.recordings = recordings.get();
        panelDeps.shell = &alongsideShell;
    }
    void TearDown() override
    {
        panel.reset();
        recordings.reset();
        PanelFixture::TearDown();
    }
    // The station as the user picks it in the list, with its own folder.
    void show(const Station& s)
    {
        Control<QRadioButton>(panel.get(), "optNormal")->click();
        Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(s.playlist);
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(s.folder.path());
        Control<QLineEdit>(panel.get(), "txtStreamTitle")->setText(s.name);
        panel->PathValid = true;
        panel->StationReady = true;
    }
    frmMP3& alongsideOf(const Station& s) { return *recordings->Recorder(recordings->AlongsideOf(s.playlist)); }

    std::unique_ptr<DesktopRecordings> recordings;
    AlongsideShell alongsideShell;
};

TEST_F(RecordAlongsideTest, OfferedInTheOperationMenuAndTheStationMenuWithTheRecordingsPage)
{
    open();
    for (const char* name : {"mnuRecordAlongside1", "mnuRecordAlongside"}) {
        auto* action = panel->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QStringLiteral("Record Alongside"));
    }
    ASSERT_NE(panel->RecordingsList(), nullptr);
    auto* button = Control<QToolButton>(panel.get(), "cmdRecordings");
    EXPECT_EQ(button->accessibleName(), QStringLiteral("Recordings"));
    button->click();
    EXPECT_TRUE(panel->RecordingsList()->isVisible() || !panel->isVisible());

    auto* resume = Control<QCheckBox>(panel.get(), "chkResumeRecordings");
    EXPECT_FALSE(resume->isChecked());
    resume->click();
    EXPECT_TRUE(ResumeRecordings());
}

TEST_F(RecordAlongsideTest, WithoutRecordingsThePanelIsAsBefore)
{
    panelDeps.recordings = nullptr;
    open();
    EXPECT_EQ(panel->findChild<QAction*>(QStringLiteral("mnuRecordAlongside1")), nullptr);
    EXPECT_EQ(panel->RecordingsList(), nullptr);
}

TEST_F(RecordAlongsideTest, AlongsideAddsAStationAndRecordStartsOnlyItsOwnAgain)
{
    Station a(QStringLiteral("Alpha")), b(QStringLiteral("Beta"));
    open();
    show(a);
    panel->cmdRecord_Click();
    ASSERT_TRUE(streams(a, *recorder));

    show(b);
    panel->cmdRecordAlongside_Click();
    ASSERT_NE(recordings->AlongsideOf(b.playlist), 0);
    ASSERT_TRUE(streams(b, alongsideOf(b)));
    EXPECT_EQ(recordings->Model().rowCount(), 2);
    EXPECT_TRUE(recorder->Status().blnRecording);

    // The same station again: said so, nothing started.
    for (const Station* s : {&a, &b}) {
        show(*s);
        panel->cmdRecordAlongside_Click();
        EXPECT_TRUE(panel->statusBar()->currentMessage().contains(QStringLiteral("recorded already")))
            << panel->statusBar()->currentMessage().toStdString();
    }
    EXPECT_EQ(recordings->Model().rowCount(), 2);

    // "Record" on Beta starts Beta again; Alpha goes on.
    const size_t connectionsA = a.loopback.connections.size();
    const size_t connectionsB = b.loopback.connections.size();
    show(b);
    panel->cmdRecord_Click();
    ASSERT_TRUE(WaitUntil([&] { return b.loopback.connections.size() == connectionsB + 1; }));
    ASSERT_TRUE(streams(b, alongsideOf(b)));
    EXPECT_TRUE(grows(a, *recorder));
    EXPECT_EQ(a.loopback.connections.size(), connectionsA);

    // "Record" on Alpha starts the panel's own again; Beta goes on.
    show(a);
    panel->cmdRecord_Click();
    ASSERT_TRUE(WaitUntil([&] { return a.loopback.connections.size() == connectionsA + 1; }));
    EXPECT_TRUE(grows(b, alongsideOf(b)));
    EXPECT_EQ(b.loopback.connections.size(), connectionsB + 1);
    EXPECT_EQ(recordings->Running(), 2);

    // Closing the panel asks while Beta records, though Alpha is stopped;
    // once Beta is stopped it closes.
    recorder->StopRecording();
    panel->close();
    EXPECT_EQ(alongsideShell.confirmations, 1);
    EXPECT_EQ(alongsideShell.quits, 0);
    recordings->Stop(recordings->AlongsideOf(b.playlist));
    panel->close();
    EXPECT_EQ(alongsideShell.confirmations, 1);
    EXPECT_EQ(alongsideShell.quits, 1);
}
