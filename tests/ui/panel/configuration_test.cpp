// The panel and the shared recording configuration: LoadBasedOnCR, PutInCR
// and the record and listen actions.
#include "config/usersettings.h"
#include "panelfixture.h"
#include "tests/support/widgets/control.h"
#include "ui/controls/aspinnerbox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using PanelConfigurationTest = PanelFixture;

TEST_F(PanelConfigurationTest, LoadBasedOnCrFillsTheBoxPerRecordingMode)
{
    struct Case {
        qint32 mode;
        QString path, fileName;
        const char* option; // null: left as it was
        QString box, header;
    };
    const QList<Case> cases{
        {1, "/rec", "show.mp3", "optFile", "/rec/show.mp3", "kept"},
        {1, "/rec/", "show.mp3", "optFile", "/rec/show.mp3", "kept"},
        {2, "/rec", "ignored", "optNormal", "/rec/", "kept"},
        {2, "/rec/", "ignored", "optNormal", "/rec/", "kept"},
        {2, "D:\\rec\\", "ignored", "optNormal", "D:\\rec\\", "kept"},
        {3, "/rec", "Morning", "optDated", "/rec/", "Morning"},
        {3, "/rec/", "", "optDated", "/rec/", ""},
        {0, "/rec", "x", nullptr, "/before/", "kept"},
        {4, "/rec", "x", nullptr, "/before/", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("mode %1, path %2").arg(c.mode).arg(c.path).toStdString());
        open();
        Control<QRadioButton>(panel.get(), "optDated")->click();
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(QStringLiteral("/before/"));
        Control<QLineEdit>(panel.get(), "txtBaseLineName")->setText(QStringLiteral("kept"));
        config.lRecordingMode = RecordingMode(c.mode);
        config.sMP3Path = c.path;
        config.sStreamFileName = c.fileName;
        config.sShoutCastFile = QStringLiteral("http://host/list.pls");
        config.sRecordingTitle = QStringLiteral("Jazz FM");
        panel->LoadBasedOnCR();
        QRadioButton* want =
            c.option ? Control<QRadioButton>(panel.get(), c.option) : Control<QRadioButton>(panel.get(), "optDated");
        EXPECT_TRUE(want->isChecked());
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtMP3Path")->text(), c.box);
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtBaseLineName")->text(), c.header);
        EXPECT_EQ(Control<QGroupBox>(panel.get(), "fraDateMode")->isHidden(),
                  want != Control<QRadioButton>(panel.get(), "optDated"));
        EXPECT_EQ(Control<QLabel>(panel.get(), "lblPathToSave")->text() == QLatin1String("MP3 file:"),
                  want == Control<QRadioButton>(panel.get(), "optFile"));
        EXPECT_TRUE(panel->PathValid);
        EXPECT_FALSE(panel->PanelEdited);
        EXPECT_EQ(Control<QLineEdit>(panel.get(), "txtPlaylist")->text(), QStringLiteral("http://host/list.pls"));
        EXPECT_EQ(names(), QStringList(QStringLiteral("Jazz FM")));
        EXPECT_EQ(urlsOfStations(), QStringList(QStringLiteral("http://host/list.pls")));
        panel.reset();
    }
}

// "Set up new recording" fills the panel each time it is chosen: the
// station of the configuration is listed once, by its address, and selected.
TEST_F(PanelConfigurationTest, LoadBasedOnCrListsTheStationOnceAndSelectsIt)
{
    open();
    panel->AppendStation(QStringLiteral("A"), QStringLiteral("http://host/a.pls"));
    panel->AppendStation(QStringLiteral("Jazz"), QStringLiteral("http://host/list.pls"));
    panel->AppendStation(QStringLiteral("B"), QStringLiteral("http://host/b.pls"));
    const struct {
        QString url;
        QStringList names;
        int selected;
    } rows[] = {
        {QStringLiteral("http://host/list.pls"), {"A", "Jazz", "B"}, 1},
        {QStringLiteral("http://host/LIST.pls"), {"A", "Jazz", "B", "Jazz FM"}, 3},
        {QStringLiteral("http://host/a.pls"), {"A", "Jazz", "B", "Jazz FM"}, 0},
    };
    config.lRecordingMode = RecordingMode::PerSong;
    config.sRecordingTitle = QStringLiteral("Jazz FM");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url.toStdString());
        config.sShoutCastFile = row.url;
        for (int i = 0; i < 3; ++i)
            panel->LoadBasedOnCR();
        EXPECT_EQ(names(), row.names);
        const QList<QTreeWidgetItem*> selected = Control<QTreeWidget>(panel.get(), "lstViewSongList")->selectedItems();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(Control<QTreeWidget>(panel.get(), "lstViewSongList")->indexOfTopLevelItem(selected.first()),
                  row.selected);
        EXPECT_EQ(Control<QTreeWidget>(panel.get(), "lstViewSongList")->currentItem(), selected.first());
    }
}

TEST_F(PanelConfigurationTest, TimedAndCleanupBoxesFollowTheConfiguration)
{
    struct Case {
        bool timed;
        bool cleanup;
    };
    for (const Case& c : {Case{true, true}, Case{false, false}, Case{true, false}}) {
        SCOPED_TRACE(::testing::Message() << "timed " << c.timed << ", cleanup " << c.cleanup);
        open();
        Control<QCheckBox>(panel.get(), "chkShutdown")->setChecked(true);
        Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->setValue(5);
        Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->setValue(9);
        config.lRecordingMode = RecordingMode::PerSong;
        config.bEnabledTimedRecording = c.timed;
        config.lTimedRecording = 90;
        config.bExitTimedRecording = false;
        config.bDeleteArchivesAfterTime = c.cleanup;
        config.lDaysToKeepRecording = 30;
        panel->LoadBasedOnCR();
        EXPECT_EQ(Control<QCheckBox>(panel.get(), "chkTimed")->isChecked(), c.timed);
        EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->value(), c.timed ? 90 : 5);
        EXPECT_EQ(Control<QCheckBox>(panel.get(), "chkShutdown")->isChecked(), !c.timed); // untouched when not timed
        EXPECT_EQ(Control<QCheckBox>(panel.get(), "chkCleanup")->isChecked(), c.cleanup);
        EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->value(), c.cleanup ? 30 : 9);

        // And back: PutInCR writes what the boxes show.
        config.lTimedRecording = -1;
        config.bExitTimedRecording = true;
        config.lDaysToKeepRecording = -1;
        panel->PutInCR();
        EXPECT_EQ(config.bEnabledTimedRecording, c.timed);
        EXPECT_EQ(config.lTimedRecording, c.timed ? 90 : -1);
        EXPECT_EQ(config.bExitTimedRecording, false);
        EXPECT_EQ(config.bDeleteArchivesAfterTime, c.cleanup);
        EXPECT_EQ(config.lDaysToKeepRecording, c.cleanup ? 30 : -1);
        panel.reset();
    }
}

TEST_F(PanelConfigurationTest, PutInCrSplitsTheBoxPerCaptureMode)
{
    struct Case {
        const char* option;
        QString box;
        qint32 mode;
        QString path, fileName;
    };
    const QList<Case> cases{
        {"optFile", "/rec/show.mp3", 1, "/rec/", "show.mp3"},
        {"optFile", "show.mp3", 1, "", "show.mp3"},
        {"optNormal", "/rec/", 2, "/rec/", "untouched"},
        {"optDated", "/rec/", 3, "/rec/", "Morning"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box.toStdString());
        open();
        Control<QRadioButton>(panel.get(), c.option)->click();
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(c.box);
        Control<QLineEdit>(panel.get(), "txtBaseLineName")->setText(QStringLiteral("Morning"));
        Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(QStringLiteral("http://host/list.pls"));
        Control<QLineEdit>(panel.get(), "txtStreamTitle")->setText(QStringLiteral("Jazz FM"));
        Control<QCheckBox>(panel.get(), "chkListenOn")->setChecked(true);
        Control<QCheckBox>(panel.get(), "chkStartPaused")->setChecked(false);
        config.sStreamFileName = QStringLiteral("untouched");
        config.bStartPaused = true;
        panel->PutInCR();
        EXPECT_EQ(int(config.lRecordingMode), c.mode);
        EXPECT_EQ(config.sMP3Path, c.path);
        EXPECT_EQ(config.sStreamFileName, c.fileName);
        EXPECT_EQ(config.sShoutCastFile, QStringLiteral("http://host/list.pls"));
        EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Jazz FM"));
        EXPECT_TRUE(config.bStartInListenMode);
        EXPECT_FALSE(config.bStartPaused);
        panel.reset();
    }
}

namespace {

QByteArray titleBlock(const QByteArray& title)
{
    QByteArray text = "StreamTitle='" + title + "';";
    while (text.size() % 16)
        text.append('\0');
    return char(text.size() / 16) + text;
}

} // namespace

TEST_F(PanelConfigurationTest, RecordWhileRecordingStopsTheRunningOneFirst)
{
    QStringList started;
    panelDeps.stationStarted = [&started](const QString& playlist) { started << playlist; };
    open();
    Control<QRadioButton>(panel.get(), "optNormal")->click();
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(folder.path());
    Control<QLineEdit>(panel.get(), "txtPlaylist")->setText(localUrl(QStringLiteral("list.pls")));
    config.lRecordingMode = RecordingMode::PerSong;
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-name:Test FM\r\nicy-metaint:16\r\n\r\n" + QByteArray(16, 'a') +
                     titleBlock("Artist A - Song One") + QByteArray(16, 'b')));
    ASSERT_TRUE(recorder->Status().blnRecording);
    panel->PanelEdited = true;
    config.bPreviewModeOnly = false;

    panel->cmdRecord_Click();
    EXPECT_FALSE(panel->PanelEdited);
    EXPECT_TRUE(config.bCalledFromGUI);
    EXPECT_TRUE(config.bConfigOK);
    EXPECT_FALSE(config.bPreviewModeOnly);
    EXPECT_EQ(config.sShoutCastFile, Control<QLineEdit>(panel.get(), "txtPlaylist")->text());
    const QByteArray song = ReadAll(folder.file(QStringLiteral("Artist A - Song One.mp3")));
    ASSERT_EQ(song.size(), 16 + 128);
    EXPECT_TRUE(song.right(128).startsWith("TAG"));
    EXPECT_TRUE(song.right(128).mid(3, 30).startsWith("Song One"));

    panel->cmdPreview_Click();
    EXPECT_TRUE(config.bPreviewModeOnly);
    // Each recording and listening started is told with its playlist.
    EXPECT_EQ(started, QStringList(2, Control<QLineEdit>(panel.get(), "txtPlaylist")->text()));
}

TEST_F(PanelConfigurationTest, WhileRecordingTheButtonsWaitForAChange)
{
    struct Case {
        bool recording, edited, ready, enabled;
    };
    const QList<Case> cases{
        {false, false, true, true}, {false, false, false, false}, {true, false, true, false},
        {true, true, true, true},   {true, true, false, false},
    };
    open();
    panel->StationReady = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.recording << c.edited << c.ready);
        Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(c.ready ? folder.path() : QString());
        panel->txtMP3Path_LostFocus();
        Control<QPushButton>(panel.get(), "cmdSave")->setEnabled(!c.enabled);
        RecorderStatus status;
        status.blnRecording = c.recording;
        panel->PanelEdited = c.edited;
        panel->RecorderStatusChanged(status);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdRecord")->isEnabled(), c.enabled);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdPreview")->isEnabled(), c.enabled);
        EXPECT_EQ(Control<QPushButton>(panel.get(), "cmdSave")->isEnabled(), !c.enabled); // not the timer's
    }
}

// The two recording options of the Advanced page are per-user settings of
// their own: the boxes show them and a click stores them at once.
TEST_F(PanelConfigurationTest, CleanCutsAndID3v2BoxesFollowTheirSettings)
{
    SetCutSongsInSilence(true);
    SetWriteID3v2Tags(false);
    open();
    EXPECT_TRUE(Control<QCheckBox>(panel.get(), "chkCleanCuts")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(panel.get(), "chkID3v2")->isChecked());
    Control<QCheckBox>(panel.get(), "chkCleanCuts")->click();
    Control<QCheckBox>(panel.get(), "chkID3v2")->click();
    EXPECT_FALSE(CutSongsInSilence());
    EXPECT_TRUE(WriteID3v2Tags());
}

// The per-user boxes: a new user hears of problems but not of every song,
// gets covers in the files and looks none up online; a click stores the
// choice at once.
TEST_F(PanelConfigurationTest, UserOptionBoxesFollowTheirSettings)
{
    const struct {
        const char* box;
        bool byDefault;
        bool (*setting)();
    } boxes[] = {{"chkNotifySongs", false, NotifySongs},
                 {"chkNotifyProblems", true, NotifyProblems},
                 {"chkCoverArt", true, CoverArt},
                 {"chkCoverLookup", false, CoverLookupOn}};
    open();
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.box);
        auto* box = Control<QCheckBox>(panel.get(), b.box);
        EXPECT_EQ(box->isChecked(), b.byDefault);
        EXPECT_FALSE(box->accessibleName().isEmpty());
        box->click();
        EXPECT_EQ(b.setting(), !b.byDefault);
    }
    SaveSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), QStringLiteral("NotifyProblems"),
                QStringLiteral(" 1 "));
    EXPECT_TRUE(NotifyProblems());
}

// A preset opened in the panel and saved again comes back as written: values
// at the spinners' ends are shown, values beyond them are kept (the spinner
// shows its end and says so), and a single file's name with folders in it
// stays as it was.
TEST_F(PanelConfigurationTest, PresetValuesBeyondThePanelSurviveOpenAndSave)
{
    struct Case {
        const char *capture, *minutes, *days;
        qint32 shownMinutes, shownDays; // -1: not shown (the option is off)
        bool keptMinutes, keptDays;
    } cases[] = {
        {"SONGNAMEONLY", " 99999 ", " 99999 ", 99999, 99999, false, false},
        {"SONGNAMEONLY", " 100000 ", " 100000 ", 99999, 99999, true, true},
        {"Archive", "S2147483647", " 2147483647 ", 99999, 99999, true, true},
        {"FILENAME sub/dir/../x.mp3", " 1 ", " 0 ", 1, -1, false, false},
        {"FILENAME x.mp3", "S0", " 30 ", -1, 30, false, false},
        {"FILENAME ../up.mp3", "S100000", " 0 ", 99999, -1, true, false},
    };
    const QString preset = home.file(QStringLiteral("in.tvp")), saved = home.file(QStringLiteral("out.tvp"));
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1|%2|%3").arg(c.capture, c.minutes, c.days).toStdString());
        const QByteArray text = QByteArray("Jazz\r\nhttp://h/x.pls\r\n") + c.capture + "\r\n%DEFDIR%\r\n" + c.minutes +
                                "\r\n" + c.days + "\r\n";
        ASSERT_TRUE(WriteAll(preset, text));
        QFile::remove(saved);
        open();
        dialogs.openAnswer = preset;
        panel->cmdLoadConfiguration_Click();
        ASSERT_EQ(config.sConfigFileName, preset);
        const auto kept = [](const ASpinnerBox* spinner) {
            return spinner->toolTip().contains(QLatin1String("is kept as it is"));
        };
        if (c.shownMinutes >= 0) {
            EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->value(), c.shownMinutes);
            EXPECT_EQ(kept(Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")), c.keptMinutes);
        }
        if (c.shownDays >= 0) {
            EXPECT_EQ(Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->value(), c.shownDays);
            EXPECT_EQ(kept(Control<ASpinnerBox>(panel.get(), "spnRecordingDays")), c.keptDays);
        }
        dialogs.saveAnswer = saved;
        panel->cmdSave_Click();
        EXPECT_EQ(ReadAll(saved), text);
        panel.reset();
    }
}

// What the user sets in place of a kept value replaces it, also when it is
// the spinner's end again; a changed save box is split as shown.
TEST_F(PanelConfigurationTest, ChangingAKeptValueReplacesIt)
{
    const QString preset = home.file(QStringLiteral("in.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Jazz\r\nhttp://h/x.pls\r\nFILENAME a/../b.mp3\r\n%DEFDIR%\r\nS2147483647\r\n"
                                 " 2147483647 \r\n"));
    open();
    dialogs.openAnswer = preset;
    panel->cmdLoadConfiguration_Click();
    panel->PutInCR();
    EXPECT_EQ(config.lTimedRecording, 2147483647);
    EXPECT_EQ(config.lDaysToKeepRecording, 2147483647);
    EXPECT_EQ(config.sStreamFileName, QStringLiteral("a/../b.mp3"));

    Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->setValue(45);
    Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->setValue(500);
    Control<ASpinnerBox>(panel.get(), "spnTimeInMinutes")->setValue(99999);
    Control<QLineEdit>(panel.get(), "txtMP3Path")->setText(home.file(QStringLiteral("c.mp3")));
    panel->PutInCR();
    EXPECT_EQ(config.lDaysToKeepRecording, 45);
    EXPECT_EQ(config.lTimedRecording, 99999);
    EXPECT_EQ(config.sStreamFileName, QStringLiteral("c.mp3"));
    EXPECT_FALSE(Control<ASpinnerBox>(panel.get(), "spnRecordingDays")->toolTip().contains(QLatin1String("kept")));
}
