// The recording display against a recorder whose state the tests set.
#include "fixture.h"

#include "ui/controls/myslider.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/display/titleticker.h"
#include "ui/shell/desktopshell.h"

#include <QImage>
#include <QLCDNumber>
#include <QLabel>
#include <QToolButton>

class DisplayTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recorder->lngVolume = 30;
        DisplayEnvironment env;
        env.masterVolume = [this] { return mixer; };
        env.cursorPos = [this] { return cursor; };
        display = std::make_unique<frmRecordingDisplay>(*recorder, config, shell, env);
        display->show();
    }
    void recording(bool timed)
    {
        recorder->blnRecording = true;
        config.bEnabledTimedRecording = timed;
    }
    static QColor centre(QWidget* w)
    {
        const QImage img = w->grab().toImage();
        return img.pixelColor(img.width() / 2, img.height() / 2);
    }
    static QColor textColour(QLabel* l) { return l->palette().color(QPalette::WindowText); }
    static QString digits(QLCDNumber* seg) { return QString::number(seg->intValue()).rightJustified(2, QLatin1Char('0')); }

    RecordingDesktopShell shell;
    qint32 mixer = 30;
    QPoint cursor{-100, -100};
    std::unique_ptr<frmRecordingDisplay> display;
};

TEST_F(DisplayTest, LoadingAndUnloadingSetTheTrayCaption)
{
    EXPECT_EQ(shell.toggleCaption, QStringLiteral("Hide Recording Display"));
    EXPECT_EQ(display->windowTitle(), QStringLiteral("Tonquill"));
    EXPECT_EQ(display->sldVolume->value(), -31);
    display.reset();
    EXPECT_EQ(shell.toggleCaption, QStringLiteral("Show Recording Display"));
}

TEST_F(DisplayTest, StoppedShowsDimLampsZerosAndStopped)
{
    recorder->blnPreviewToggle = true;
    recorder->lngHoursPassed = 3;
    display->tmrRecState_Timer();
    EXPECT_EQ(centre(display->shpRec), frmRecordingDisplay::kDim);
    EXPECT_EQ(centre(display->shpPreview), frmRecordingDisplay::kLit);
    EXPECT_EQ(textColour(display->lblPreview), frmRecordingDisplay::kLit);
    EXPECT_EQ(textColour(display->lblRec), frmRecordingDisplay::kDim);
    EXPECT_EQ(digits(display->segHour) + digits(display->segMin) + digits(display->segSec), QStringLiteral("000000"));
    EXPECT_EQ(display->lblBR->text(), QStringLiteral("B: 0"));
    EXPECT_EQ(display->lblSongTitle->text(), QStringLiteral("STOPPED"));
    EXPECT_TRUE(display->cmdRecord->isEnabled());
    EXPECT_FALSE(display->cmdTimeMode->isEnabled());
}

TEST_F(DisplayTest, TimeModesShowElapsedOrLeftWithNegativeValuesAsZero)
{
    const struct {
        const char* what;
        bool timed;
        bool clickToLeft;
        qint32 left[3];
        const char* shown;
        bool minusLit;
        int mode;
    } rows[] = {
        {"elapsed", true, false, {0, 5, 6}, "010203", false, 1},
        {"left", true, true, {0, 5, 6}, "000506", true, 2},
        {"left, overdue", true, true, {-1, -1, -5}, "000000", true, 2},
        {"not timed forces elapsed", false, true, {0, 5, 6}, "010203", false, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        display = std::make_unique<frmRecordingDisplay>(*recorder, config, shell,
                                                        DisplayEnvironment{[] { return -1; }, [] { return QPoint(); }});
        recording(row.timed);
        recorder->lngHoursPassed = 1, recorder->lngMinutesPassed = 2, recorder->lngSecondsPassed = 3;
        recorder->lngHoursLeft = row.left[0], recorder->lngMinutesLeft = row.left[1],
        recorder->lngSecondsLeft = row.left[2];
        if (row.clickToLeft)
            display->lblRecTime_Click();
        // (a refresh shows the time first, then forces an untimed recording back to elapsed)
        display->tmrRecState_Timer();
        display->tmrRecState_Timer();
        EXPECT_EQ(display->TimeMode(), row.mode);
        EXPECT_EQ(digits(display->segHour) + digits(display->segMin) + digits(display->segSec),
                  QString::fromLatin1(row.shown));
        const QColor minus = row.minusLit ? frmRecordingDisplay::kLit : frmRecordingDisplay::kDim;
        EXPECT_EQ(centre(display->shpNeg2), minus);
        EXPECT_EQ(display->shpNeg3->border(), minus);
        EXPECT_EQ(display->cmdTimeMode->isEnabled(), row.timed);
        EXPECT_FALSE(display->cmdRecord->isEnabled());
        EXPECT_EQ(centre(display->shpRec), frmRecordingDisplay::kLit);
    }
}

TEST_F(DisplayTest, BitRateAndErrorLamp)
{
    recording(false);
    recorder->lngBitRate = 128;
    recorder->sSongCaption = QStringLiteral("Now Recording: A");
    display->tmrRecState_Timer();
    EXPECT_EQ(display->lblBR->text(), QStringLiteral("B: 128"));
    EXPECT_EQ(textColour(display->lblBR), frmRecordingDisplay::kLit);
    EXPECT_EQ(centre(display->shpError), frmRecordingDisplay::kDim);

    recorder->lngBitRate = 0;  // keeps what it showed
    recorder->sSongCaption = QStringLiteral("[ERR] NETWORK: Awaiting data...");
    display->tmrRecState_Timer();
    EXPECT_EQ(display->lblBR->text(), QStringLiteral("B: 128"));
    EXPECT_EQ(centre(display->shpError), frmRecordingDisplay::kLit);
    EXPECT_EQ(textColour(display->lblTimeOut), frmRecordingDisplay::kLit);
    recorder->sSongCaption = QStringLiteral("[err] lower case is no error");
    display->tmrRecState_Timer();
    EXPECT_EQ(centre(display->shpError), frmRecordingDisplay::kDim);
}

// Each character is 10 pixels wide; the label is 35 wide.
TEST(TitleTicker, ScrollsAPixelAStepAndDropsTheCharacterThatLeft)
{
    TitleTicker t([](const QString& s) { return 10 * int(s.size()); });
    t.Step(QStringLiteral("ABCDEFGH"), 35, false);
    // Filled to 40 pixels (" ---"), then one pixel left.
    EXPECT_EQ(t.text(), QStringLiteral(" ---"));
    EXPECT_EQ(t.left(), -1);
    for (int i = 0; i < 9; ++i)
        t.Step(QStringLiteral("ABCDEFGH"), 35, false);
    EXPECT_EQ(t.left(), -10);
    t.Step(QStringLiteral("ABCDEFGH"), 35, false);
    // The first character had scrolled out: dropped, the label moved back.
    EXPECT_EQ(t.text(), QStringLiteral("---"));
    EXPECT_EQ(t.left(), -1);
    // Next step: room for one more character (30 + 10 is not below 35: none).
    t.Step(QStringLiteral("ABCDEFGH"), 35, false);
    EXPECT_EQ(t.text(), QStringLiteral("---"));

    // Round the source: the separator comes again after the title.
    TitleTicker wide([](const QString& s) { return 10 * int(s.size()); });
    wide.Step(QStringLiteral("AB"), 95, false);
    EXPECT_EQ(wide.text(), QStringLiteral(" --- AB --"));
}

TEST(TitleTicker, HoverFreezesAndANewTitleRestarts)
{
    TitleTicker t([](const QString& s) { return 7 * int(s.size()); });
    for (int i = 0; i < 5; ++i)
        t.Step(QStringLiteral("A long title"), 50, false);
    const int left = t.left();
    const QString text = t.text();
    t.Step(QStringLiteral("A long title"), 50, true);
    EXPECT_EQ(t.left(), left);
    EXPECT_EQ(t.text(), text);
    t.Step(QStringLiteral("Another title"), 50, false);
    EXPECT_TRUE(t.text().startsWith(QStringLiteral(" --- A")));
    EXPECT_EQ(t.source(), QStringLiteral(" --- Another title"));
}

TEST(TitleTicker, ZeroWidthTextEndsTheFill)
{
    TitleTicker t([](const QString&) { return 0; });
    t.Step(QString(2000, QChar(0x200b)), 100, false);
    EXPECT_LE(t.text().size(), 4 * 101 + 2 * 2005);
}

TEST_F(DisplayTest, LongStrangeTitlesScrollInsideTheWindowAndFreezeUnderTheMouse)
{
    recording(false);
    const QSize size = display->size();
    const QString titles[] = {
        QStringLiteral("Now Recording: ") + QString(2000, QLatin1Char('x')),
        QStringLiteral("Now Recording: \x01\x02\t\r\n control ") + QString(200, QLatin1Char('c')),
        QStringLiteral("Now Recording: \u202e") + QString::fromUtf8("שלום עולם ").repeated(30),
    };
    for (const QString& title : titles) {
        recorder->sSongCaption = title;
        for (int i = 0; i < 30; ++i)
            display->tmrRecState_Timer();
        EXPECT_EQ(display->size(), size);
        EXPECT_LT(display->lblSongTitle->x(), 0);
        EXPECT_FALSE(display->lblSongTitle->text().contains(QChar(0x202e)));
        EXPECT_FALSE(display->lblSongTitle->text().contains(QLatin1Char('\n')));
    }
    // The mouse strictly inside the title area holds it; on its edge it does not.
    const QPoint origin = display->pcSize->mapToGlobal(QPoint(0, 0));
    cursor = origin + QPoint(5, 5);
    const int held = display->lblSongTitle->x();
    display->tmrRecState_Timer();
    EXPECT_EQ(display->lblSongTitle->x(), held);
    cursor = origin;  // on the corner
    display->tmrRecState_Timer();
    EXPECT_NE(display->lblSongTitle->x(), held);

    // A title that fits is shown as it is, at the left.
    recorder->sSongCaption = QStringLiteral("Now Recording: Short");
    display->tmrRecState_Timer();
    EXPECT_EQ(display->lblSongTitle->text(), QStringLiteral("Now Recording: Short"));
    EXPECT_EQ(display->lblSongTitle->x(), 0);
}

TEST_F(DisplayTest, TheSliderFollowsTheMixerButNotWhileHeldOrKeyed)
{
    recording(false);
    mixer = 70;
    display->tmrRecState_Timer();
    EXPECT_EQ(display->sldVolume->value(), -71);
    EXPECT_EQ(recorder->lngVolume, 70);

    // Held: the user's value stands.
    display->sldVolume_MouseDown();
    display->sldVolume->setValue(-101);
    display->tmrRecState_Timer();
    EXPECT_EQ(display->sldVolume->value(), -101);
    display->sldVolume_MouseUp();
    // The first refresh after a programmatic follow leaves the flag clear again.
    display->tmrRecState_Timer();
    display->sldVolume_MouseDown();
    display->sldVolume->setValue(-101);
    display->sldVolume_MouseUp();
    EXPECT_EQ(recorder->lngVolume, 100);

    // Keyed: not pulled back on the next refresh.
    mixer = 100;
    display->tmrRecState_Timer();
    display->sldVolume_Keypress();
    display->sldVolume->setValue(-51);
    mixer = 10;
    display->tmrRecState_Timer();
    EXPECT_EQ(display->sldVolume->value(), -51);

    // A mixer that cannot be read leaves slider and volume alone.
    mixer = -1;
    const qint32 volume = recorder->lngVolume;
    display->tmrRecState_Timer();
    display->tmrRecState_Timer();
    EXPECT_EQ(display->sldVolume->value(), -51);
    EXPECT_EQ(recorder->lngVolume, volume);

    // Not recording: the slider is left alone.
    recorder->blnRecording = false;
    mixer = 5;
    display->tmrRecState_Timer();
    EXPECT_EQ(display->sldVolume->value(), -51);
}

TEST_F(DisplayTest, ExitAsksWhileRecordingAndQuitsOtherwise)
{
    const struct {
        bool recording, paused;
        int confirmations, quits;
    } rows[] = {{true, false, 1, 0}, {true, true, 0, 1}, {false, false, 0, 1}};
    for (const auto& row : rows) {
        shell.confirmations = shell.quits = 0;
        recorder->blnRecording = row.recording;
        recorder->blnPaused = row.paused;
        display->cmdQuit->click();
        EXPECT_EQ(shell.confirmations, row.confirmations);
        EXPECT_EQ(shell.quits, row.quits);
    }
    recorder->blnRecording = recorder->blnPaused = false;
}

TEST_F(DisplayTest, EveryCommandHasItsToolTipAsAccessibleName)
{
    const QList<QToolButton*> buttons = display->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 6);
    QStringList names;
    for (QToolButton* b : buttons) {
        EXPECT_EQ(b->accessibleName(), b->toolTip());
        names << b->toolTip();
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{"Exit", "Listen", "Pause", "Start Record", "Stop", "Timer Mode"}));
}
