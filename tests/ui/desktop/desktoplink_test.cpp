// The recorder's link to the desktop: what a real recorder's state and
// events become in the media controls and the notifications, and what their
// commands do to it.
#include "config/usersettings.h"
#include "fixture.h"
#include "tests/ui/desktop/privatebus.h"
#include "ui/desktop/recorderdesktoplink.h"

#include <QApplication>
#include <QDialog>

class DesktopLinkTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        SetUserSettingsFolder(store.path());
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "no dbus-daemon";
        ASSERT_TRUE(bus.Start());
        ASSERT_TRUE(bus.ServeNotifications(notifications));
        RecorderDesktopLink::Hooks hooks;
        hooks.showQuitConfirmation = [this] { asked << QStringLiteral("confirm"); };
        hooks.quitConfirmationShown = [this] { return questionShown; };
        hooks.quitProgram = [this] { asked << QStringLiteral("quit"); };
        hooks.raise = [this] { asked << QStringLiteral("raise"); };
        hooks.openSearch = [this] { asked << QStringLiteral("search"); };
        hooks.openLibrary = [this] { asked << QStringLiteral("library"); };
        hooks.openPreset = [this](const QString& preset) { return opener().Open(preset); };
        link = std::make_unique<RecorderDesktopLink>(*recorder, hooks, *bus.client);
        link->Register();
    }
    void TearDown() override
    {
        link.reset();
        SetUserSettingsFolder(QString());
    }

    TempFolder store;
    TestBus bus;
    FakeNotifications notifications;
    std::unique_ptr<RecorderDesktopLink> link;
    QStringList asked;
    bool questionShown = false;
};

// Lost streams are told once per outage, and only while the user wants to
// hear of problems; a saved song only when the user asked for those.
TEST_F(DesktopLinkTest, NoticesFollowTheSettingsAndComeOncePerOutage)
{
    struct Case {
        bool songs, problems;
        QStringList expected;
    } cases[] = {
        {false,
         true,
         {QStringLiteral("Reconnecting|The stream of Test Station was lost; Tonquill is reconnecting.|"),
          QStringLiteral("Recording ended|Network errors have interrupted successful recording of Test Station!|")}},
        {true, false, {QStringLiteral("Saved|A - B\nA - B.mp3|open-folder,Open folder")}},
    };
    // The notices name the station the followed recording records.
    recordSongsContinuously();
    startOnStation();
    for (const Case& c : cases) {
        notifications.calls.clear();
        SetNotifySongs(c.songs);
        SetNotifyProblems(c.problems);
        for (int attempt = 0; attempt < 3; ++attempt)
            emit recorder->reconnecting();
        emit recorder->gaveUp();
        emit recorder->statusChanged(RecorderStatus{});
        emit recorder->fileClosed(folder.file(QStringLiteral("A - B.mp3")));
        ASSERT_TRUE(WaitUntil([&] { return notifications.calls.size() >= c.expected.size(); }));
        RunPendingEvents();
        EXPECT_EQ(notifications.calls, c.expected);
    }
    // A new outage after the recording ended is told again.
    notifications.calls.clear();
    SetNotifyProblems(true);
    emit recorder->reconnecting();
    ASSERT_TRUE(WaitUntil([&] { return notifications.calls.size() == 1; }));
    // So is one after the stream flowed again; one still waiting to retry
    // is the same outage.
    RecorderStatus status;
    status.blnRecording = true;
    status.connection = ConnectionState::WaitingToRetry;
    emit recorder->statusChanged(status);
    emit recorder->reconnecting();
    status.connection = ConnectionState::Streaming;
    emit recorder->statusChanged(status);
    emit recorder->reconnecting();
    ASSERT_TRUE(WaitUntil([&] { return notifications.calls.size() == 2; }));
    RunPendingEvents();
    EXPECT_EQ(notifications.calls.size(), 2);
}

// A saved song that was on the wish list is marked in its notice; the
// others are not.
TEST_F(DesktopLinkTest, AWishedSongIsMarkedInItsNotice)
{
    SetNotifySongs(true);
    SetNotifyProblems(false);
    QStringList expected;
    for (const bool wished : {true, false}) {
        const QString name = wished ? QStringLiteral("A - Wished.mp3") : QStringLiteral("A - Other.mp3");
        RecorderStatus status;
        status.blnRecording = true;
        status.strSongName = name;
        status.file = folder.file(name);
        status.wished = wished;
        emit recorder->statusChanged(status);
        emit recorder->fileClosed(status.file);
        expected << QStringLiteral("Saved|") + (wished ? QStringLiteral("\u2605 ") : QString()) + SongTitleOf(name) +
                        QLatin1Char('\n') + name + QStringLiteral("|open-folder,Open folder");
    }
    ASSERT_TRUE(WaitUntil([&] { return notifications.calls.size() >= expected.size(); }));
    RunPendingEvents();
    EXPECT_EQ(notifications.calls, expected);
}

// The media controls' Quit asks while a recording runs, as the display's
// Exit does; Play with nothing loaded starts the preset recorded last.
TEST_F(DesktopLinkTest, QuitAsksWhileRecordingAndPlayStartsTheLastPreset)
{
    RecorderStatus status;
    for (const bool paused : {false, true}) {
        status.blnRecording = true;
        status.blnPaused = paused;
        emit recorder->statusChanged(status);
        link->Quit();
    }
    emit recorder->statusChanged(RecorderStatus{});
    link->Quit();
    EXPECT_EQ(asked, (QStringList{QStringLiteral("confirm"), QStringLiteral("quit"), QStringLiteral("quit")}));

    // Nothing loaded and no preset recorded before: Play does nothing.
    link->StartRecording();
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Idle);

    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    SetLastPreset(preset);
    link->Perform(DesktopAction::RecordLastPreset);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Resolving);
    EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Station"));
    EXPECT_TRUE(asked.endsWith(QStringLiteral("raise")));
    link->Perform(DesktopAction::OpenSearch);
    EXPECT_EQ(asked.last(), QStringLiteral("search"));
    link->Perform(DesktopAction::OpenLibrary);
    EXPECT_EQ(asked.last(), QStringLiteral("library"));
}

// A preset that starts is remembered as the last one, for the menu entry.
TEST_F(DesktopLinkTest, AStartedPresetBecomesTheLastPreset)
{
    RecorderStatus status;
    status.blnRecording = true;
    status.strConfigName = folder.file(QStringLiteral("other.tvp"));
    emit recorder->statusChanged(status);
    EXPECT_EQ(LastPreset(), folder.file(QStringLiteral("other.tvp")));
    status.strConfigName.clear();
    emit recorder->statusChanged(status);
    EXPECT_EQ(LastPreset(), folder.file(QStringLiteral("other.tvp")));
}

// Volume from either side: the controls' writes are clamped into the
// recorder, and the recorder's own changes reach the controls.
TEST_F(DesktopLinkTest, VolumeGoesBothWays)
{
    link->SetVolume(250);
    EXPECT_EQ(recorder->Status().lngVolume, 100);
    EXPECT_EQ(link->Controls().State().volume, 100);
    recorder->SetVolume(40);
    EXPECT_EQ(link->Controls().State().volume, 40);
}

// Quit never goes past an open dialog, paused or not: the dialog stays and
// comes forward. With the quit question on screen, Quit brings it up again.
TEST_F(DesktopLinkTest, QuitWithADialogOpenBringsItForwardInsteadOfQuitting)
{
    const struct {
        bool recording, paused, dialog, question;
        QStringList expected;
    } cases[] = {
        {true, true, true, false, {}},
        {true, false, true, false, {}},
        {false, false, true, false, {}},
        {true, false, false, true, {QStringLiteral("confirm")}},
        {true, true, false, true, {QStringLiteral("confirm")}},
        {true, true, false, false, {QStringLiteral("quit")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.recording << c.paused << c.dialog << c.question);
        RecorderStatus status;
        status.blnRecording = c.recording;
        status.blnPaused = c.paused;
        emit recorder->statusChanged(status);
        QDialog dialog;
        if (c.dialog) {
            dialog.open();
            ASSERT_TRUE(WaitUntil([&] { return QApplication::activeModalWidget() == &dialog; }));
        }
        questionShown = c.question;
        asked.clear();
        link->Quit();
        EXPECT_EQ(asked, c.expected);
        EXPECT_EQ(dialog.isVisible(), c.dialog);
    }
}
