// The recording display's lamps, clocks, bit rate and commands.
#include "displayfixture.h"

#include <QFileInfo>
#include <QToolButton>
#include <QtTest/QTest>

TEST_F(DisplayTest, LoadingAndUnloadingSetTheTrayCaption)
{
    EXPECT_EQ(shell.toggleCaption, QStringLiteral("Hide Recording Display"));
    EXPECT_EQ(display->windowTitle(), QStringLiteral("Tonquill"));
    EXPECT_TRUE(display->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(display->sldVolume->value(), -31);  // the complement of the recorder's volume
    EXPECT_EQ(recorder->Status().lngVolume, 30);
    EXPECT_EQ(display->lblRecTime->text(), QStringLiteral("Rec Time"));
    EXPECT_EQ(display->TimeMode(), 1);
    display.reset();
    EXPECT_EQ(shell.toggleCaption, QStringLiteral("Show Recording Display"));
}

TEST_F(DisplayTest, TheRefreshTimerRunsFromLoadAndReportsEachRefresh)
{
    EXPECT_TRUE(display->tmrRecState->isActive());
    EXPECT_EQ(display->tmrRecState->interval(), 100);
    int refreshes = 0;
    QObject::connect(display.get(), &frmRecordingDisplay::refreshed, [&] { ++refreshes; });
    ASSERT_TRUE(WaitUntil([&] { return refreshes >= 2; }, 3000));
    EXPECT_EQ(display->lblSongTitle->text(), QStringLiteral("STOPPED"));
}

TEST_F(DisplayTest, StoppedShowsDimLampsZerosAndStopped)
{
    // What a recording left behind is cleared by the next refresh.
    recording(true);
    status.blnPreviewToggle = true;
    status.lngBitRate = 128;
    status.clock.lngHoursPassed = 3, status.clock.lngMinutesPassed = 4, status.clock.lngSecondsPassed = 5;
    status.displayCaption = QStringLiteral("Now Recording: Station");
    display->lblRecTime_Click();
    refresh();
    ASSERT_EQ(display->lblBR->text(), QStringLiteral("B: 128"));
    ASSERT_EQ(centre(display->shpNeg1), frmRecordingDisplay::kLit);

    status.blnRecording = false;
    refresh();
    EXPECT_EQ(centre(display->shpRec), frmRecordingDisplay::kDim);
    EXPECT_EQ(brightest(display->lblRec), frmRecordingDisplay::kUnlitText);
    EXPECT_EQ(centre(display->shpPreview), frmRecordingDisplay::kLit);  // as the recorder reports it
    EXPECT_EQ(brightest(display->lblPreview), frmRecordingDisplay::kLit);
    for (LampShape* minus : {display->shpNeg1, display->shpNeg2, display->shpNeg3}) {
        EXPECT_EQ(centre(minus), frmRecordingDisplay::kDim);
        EXPECT_EQ(minus->border(), frmRecordingDisplay::kDim);
    }
    EXPECT_EQ(clock(), QStringLiteral("00 00 00"));  // whatever the time fields hold
    EXPECT_EQ(display->lblBR->text(), QStringLiteral("B: 0"));
    EXPECT_EQ(brightest(display->lblBR), frmRecordingDisplay::kUnlitText);
    EXPECT_EQ(display->lblSongTitle->text(), QStringLiteral("STOPPED"));
    EXPECT_EQ(display->lblSongTitle->x(), 0);
    EXPECT_TRUE(display->cmdRecord->isEnabled());
    EXPECT_FALSE(display->cmdTimeMode->isEnabled());
    // The time mode survives between recordings.
    EXPECT_EQ(display->TimeMode(), 2);
}

TEST_F(DisplayTest, TimeModesShowElapsedOrLeftWithNegativeValuesAsZero)
{
    const struct {
        const char* what;
        bool timed;
        int clicks;  // on the time-mode caption before the refresh
        qint32 left[3];
        const char* shown;
        bool minusLit;
        int mode;
        const char* caption;
    } rows[] = {
        {"elapsed", true, 0, {0, 5, 6}, "01 02 03", false, 1, "Rec Time"},
        {"left", true, 1, {0, 5, 6}, "00 05 06", true, 2, "TIME LEFT"},
        {"left and back", true, 2, {0, 5, 6}, "01 02 03", false, 1, "REC TIME"},
        {"left, overdue", true, 1, {-1, -1, -5}, "00 00 00", true, 2, "TIME LEFT"},
        {"left, only seconds overdue", true, 1, {0, 0, -1}, "00 00 00", true, 2, "TIME LEFT"},
        {"left, hours", true, 1, {12, 0, 59}, "12 00 59", true, 2, "TIME LEFT"},
        // the mode is forced back (the caption is not touched)
        {"not timed forces elapsed", false, 1, {0, 5, 6}, "01 02 03", false, 1, "TIME LEFT"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        load();
        recording(row.timed);
        status.clock.lngHoursPassed = 1, status.clock.lngMinutesPassed = 2, status.clock.lngSecondsPassed = 3;
        status.clock.lngHoursLeft = row.left[0], status.clock.lngMinutesLeft = row.left[1],
        status.clock.lngSecondsLeft = row.left[2];
        for (int i = 0; i < row.clicks; ++i)
            display->lblRecTime_Click();
        refresh(2);
        EXPECT_EQ(display->TimeMode(), row.mode);
        EXPECT_EQ(display->lblRecTime->text(), QString::fromLatin1(row.caption));
        EXPECT_EQ(clock(), QString::fromLatin1(row.shown));
        const QColor minus = row.minusLit ? frmRecordingDisplay::kLit : frmRecordingDisplay::kDim;
        for (LampShape* shape : {display->shpNeg1, display->shpNeg2, display->shpNeg3}) {
            EXPECT_EQ(centre(shape), minus);
            EXPECT_EQ(shape->border(), minus);
        }
        EXPECT_EQ(display->cmdTimeMode->isEnabled(), row.timed);
        EXPECT_FALSE(display->cmdRecord->isEnabled());
        EXPECT_EQ(centre(display->shpRec), frmRecordingDisplay::kLit);
        EXPECT_EQ(brightest(display->lblRec), frmRecordingDisplay::kLit);
    }
}

TEST_F(DisplayTest, TheTimeModeButtonAndAClickOnTheCaptionToggleAlike)
{
    recording(true);
    refresh();
    display->cmdTimeMode->click();
    EXPECT_EQ(display->TimeMode(), 2);
    QTest::mouseClick(display->lblRecTime, Qt::LeftButton);
    EXPECT_EQ(display->TimeMode(), 1);
    EXPECT_EQ(display->lblRecTime->text(), QStringLiteral("REC TIME"));

    // A recording that is not timed wins even over a click just before.
    config.bEnabledTimedRecording = false;
    display->cmdTimeMode->click();
    refresh();
    EXPECT_EQ(display->TimeMode(), 1);
    EXPECT_FALSE(display->cmdTimeMode->isEnabled());
}

TEST_F(DisplayTest, LampsLightAndDimWithTheRecorderState)
{
    // The error lamp follows the status's error, not the caption's text.
    const struct {
        const char* what;
        bool recording, listening;
        const char* caption;
        const char* error;
        bool rec, listen, errorLit;
    } rows[] = {
        {"stopped, not listening", false, false, "", "", false, false, false},
        {"stopped, listening", false, true, "", "", false, true, false},
        {"recording", true, false, "Now Recording: A", "", true, false, false},
        {"recording and listening", true, true, "Now Recording: A", "", true, true, false},
        {"awaiting data", true, false, "[ERR] NETWORK: Awaiting data...", "[ERR] NETWORK: Awaiting data...", true,
         false, true},
        {"a song named like an error", true, true, "PAUSED...[ERR]", "", true, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        status.blnRecording = row.recording;
        status.blnPreviewToggle = row.listening;
        status.displayCaption = QString::fromLatin1(row.caption);
        status.lastError = QString::fromLatin1(row.error);
        refresh();
        auto colour = [](bool lit) { return lit ? frmRecordingDisplay::kLit : frmRecordingDisplay::kDim; };
        auto text = [](bool lit) { return lit ? frmRecordingDisplay::kLit : frmRecordingDisplay::kUnlitText; };
        EXPECT_EQ(centre(display->shpRec), colour(row.rec));
        EXPECT_EQ(brightest(display->lblRec), text(row.rec));
        EXPECT_EQ(centre(display->shpPreview), colour(row.listen));
        EXPECT_EQ(display->shpPreview->border(), colour(row.listen));
        EXPECT_EQ(brightest(display->lblPreview), text(row.listen));
        if (row.recording) {  // stopped leaves the error lamp as it was
            EXPECT_EQ(centre(display->shpError), colour(row.errorLit));
            EXPECT_EQ(brightest(display->lblTimeOut), text(row.errorLit));
        }
    }
}

TEST_F(DisplayTest, StoppingLeavesTheErrorLampAsItWas)
{
    recording(false);
    status.displayCaption = status.lastError = QStringLiteral("[ERR] TIMEOUT! Reconnecting...");
    refresh();
    status.blnRecording = false;
    status.lastError.clear();
    status.displayCaption = QStringLiteral("Initializing...");
    refresh();
    EXPECT_EQ(centre(display->shpError), frmRecordingDisplay::kLit);
    EXPECT_EQ(brightest(display->lblTimeOut), frmRecordingDisplay::kLit);
}

TEST_F(DisplayTest, ABitRateOfZeroKeepsThePreviousText)
{
    recording(false);
    const struct {
        qint32 bitRate;
        const char* shown;
        bool lit;
    } steps[] = {
        {0, "B: 0", false},  // nothing received yet: the stopped text stays
        {128, "B: 128", true},
        {0, "B: 128", true},
        {64, "B: 64", true},
        {-1, "B: -1", true},  // shown as it comes
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.bitRate);
        status.lngBitRate = step.bitRate;
        refresh();
        EXPECT_EQ(display->lblBR->text(), QString::fromLatin1(step.shown));
        EXPECT_EQ(brightest(display->lblBR), step.lit ? frmRecordingDisplay::kLit : frmRecordingDisplay::kUnlitText);
    }
}

TEST_F(DisplayTest, ExitAsksWhileRecordingAndQuitsOtherwise)
{
    const struct {
        bool recording, paused;
        int confirmations, quits;
    } rows[] = {{true, false, 1, 0}, {true, true, 0, 1}, {false, false, 0, 1}, {false, true, 0, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.recording << row.paused);
        shell.confirmations = shell.quits = 0;
        status.blnRecording = row.recording;
        status.blnPaused = row.paused;
        display->ShowStatus(status);
        display->cmdQuit->click();
        EXPECT_EQ(shell.confirmations, row.confirmations);
        EXPECT_EQ(shell.quits, row.quits);
    }
}

TEST_F(DisplayTest, TheButtonsRunTheRecordersOperations)
{
    // Record starts again on the server list the recorder already holds.
    recorder->AddServer(QStringLiteral("127.0.0.1"), QStringLiteral("/stream"), station.port(), QString());
    display->cmdRecord->click();
    EXPECT_TRUE(recorder->Status().blnRecording);
    ASSERT_TRUE(WaitUntil([&] { return station.last() != nullptr; }));

    display->cmdPause->click();
    EXPECT_TRUE(recorder->Status().blnPaused);
    display->cmdPause->click();
    EXPECT_FALSE(recorder->Status().blnPaused);

    // Listen toggles, and the relay follows while recording.
    const bool listening = recorder->Status().blnPreviewToggle;
    const int starts = relay.starts, stops = relay.stops;
    display->cmdPreview->click();
    EXPECT_NE(recorder->Status().blnPreviewToggle, listening);
    display->cmdPreview->click();
    EXPECT_EQ(recorder->Status().blnPreviewToggle, listening);
    EXPECT_EQ(relay.starts, starts + 1);
    EXPECT_EQ(relay.stops, stops + 1);

    display->cmdStop->click();
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();
}

TEST_F(DisplayTest, RecordBeforeAnyRecordingStartsTheLastPresetOrNothing)
{
    display->cmdRecord->click();
    EXPECT_FALSE(recorder->Status().blnRecording);
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Idle);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(QLatin1Char('|')).toStdString();

    const QString preset = folder.file(QStringLiteral("station.tvp"));
    ASSERT_TRUE(WriteAll(preset, "Station\r\nhttp://127.0.0.1:1/x.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n"));
    ASSERT_TRUE(opener().Open(preset));
    recorder->StopRecording();
    config.sRecordingTitle.clear();
    display->cmdRecord->click();
    EXPECT_EQ(recorder->phase(), frmMP3::Phase::Resolving);
    EXPECT_EQ(config.sRecordingTitle, QStringLiteral("Station"));
}

TEST_F(DisplayTest, EveryCommandHasItsToolTipAsAccessibleName)
{
    const QList<QToolButton*> buttons = display->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList names;
    for (QToolButton* b : buttons) {
        EXPECT_EQ(b->accessibleName(), b->toolTip());
        EXPECT_FALSE(b->icon().isNull());
        names << b->toolTip();
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{"Exit", "Listen", "Pause", "Start Record", "Stop", "Timer Mode"}));
    EXPECT_FALSE(display->sldVolume->accessibleName().isEmpty());
    EXPECT_FALSE(display->lblRecTime->accessibleName().isEmpty());
    for (LampShape* lamp : {display->shpRec, display->shpPreview, display->shpError})
        EXPECT_FALSE(lamp->accessibleName().isEmpty()) << lamp->objectName().toStdString();
}

TEST_F(DisplayTest, ThePressOnTheBodyDoesNotDisturbTheWindow)
{
    // The offscreen window system refuses the move; the window stays as it is.
    const QRect before = display->geometry();
    QTest::mousePress(display.get(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(display.get(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(display->geometry(), before);
    EXPECT_TRUE(display->isVisible());
}

// The status names the file as it is on disk; the display keeps the song's
// own title where the file's name had to be shortened or cleaned.
TEST_F(DisplayTest, TheSongsOwnTitleIsShownWhereItsFileNameDiffers)
{
    const auto titleBlock = [](const QByteArray& title) {
        QByteArray padded = "StreamTitle='" + title + "';";
        while (padded.size() % 16)
            padded.append('\0');
        return char(padded.size() / 16) + padded;
    };
    const struct {
        const char* what;
        QString title;
    } rows[] = {
        {"300 Latin characters", QString(300, QLatin1Char('L'))},
        {"100 CJK characters (300 bytes)", QString(100, QChar(0x4E2D))},
        {"characters a file name cannot hold", QStringLiteral("AC/DC - Who Next?")},
    };
    recordSongsContinuously();
    startOnStation();
    ASSERT_TRUE(send("ICY 200 OK\r\nicy-name:X\r\nicy-metaint:4\r\n\r\naaaa"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(send(titleBlock(row.title.toUtf8()) + "bbbb"));
        const QString file = QFileInfo(recorder->RecordingPath()).fileName();
        ASSERT_TRUE(QFileInfo::exists(folder.file(file)));
        EXPECT_NE(file, row.title + QStringLiteral(".mp3"));
        EXPECT_EQ(recorder->Status().sSongCaption, QStringLiteral("Now Recording: ") + file);
        // (the recorder's own status reaches the display by its signals)
        EXPECT_EQ(display->DisplayTitle(), QStringLiteral("Now Recording: ") + row.title + QStringLiteral(".mp3"));
    }
    // Any other status is shown as it is.
    recorder->TogglePause();
    recorder->Timer1_Timer();
    EXPECT_EQ(display->DisplayTitle(), recorder->Status().sSongCaption);
    EXPECT_TRUE(display->DisplayTitle().startsWith(QStringLiteral("PAUSED...")))
        << display->DisplayTitle().toStdString();
}

TEST_F(DisplayTest, TheRefreshStopsWhileNobodySeesTheDisplay)
{
    int refreshes = 0;
    QObject::connect(display.get(), &frmRecordingDisplay::refreshed, [&] { ++refreshes; });
    const struct {
        const char* what;
        std::function<void()> act;
        bool running;
        bool refreshedAtOnce;
    } steps[] = {
        {"shown", [&] {}, true, false},
        {"hidden", [&] { display->hide(); }, false, false},
        {"shown again", [&] { display->show(); }, true, true},
        {"minimised", [&] { display->setWindowState(Qt::WindowMinimized); }, false, false},
        {"restored", [&] { display->setWindowState(Qt::WindowNoState); }, true, true},
        {"minimised and hidden", [&] { display->showMinimized(); display->hide(); }, false, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        refreshes = 0;
        step.act();
        EXPECT_EQ(display->tmrRecState->isActive(), step.running);
        EXPECT_EQ(refreshes, step.refreshedAtOnce ? 1 : 0);  // seen again: brought up to date at once
    }
}
