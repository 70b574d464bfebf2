// The volume slider: the complement of the recorder's volume, following the
// system mixer while a recording runs, never pulled back under the user.
#include "displayfixture.h"

#include "ui/controls/myslider.h"

#include <QtTest/QTest>

class VolumeTest : public DisplayTest {
protected:
    // Drags the thumb to the slider's start (the top: the loudest).
    void dragToTop(int refreshesWhileHeld = 0)
    {
        MySlider* s = display->sldVolume;
        const QPoint grip = s->thumbRect().center();
        QTest::mousePress(s, Qt::LeftButton, {}, grip);
        QTest::mouseMove(s, QPoint(grip.x(), grip.y() - 3));
        QTest::mouseMove(s, QPoint(grip.x(), -20));
        refresh(refreshesWhileHeld);
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(grip.x(), -20));
    }
};

TEST_F(VolumeTest, TheSliderHoldsTheComplementOfTheVolume)
{
    const struct {
        qint32 volume;
        qint32 slider;
    } rows[] = {{0, -1}, {1, -2}, {50, -51}, {100, -101}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.volume);
        recorder->SetVolume(row.volume);
        load();
        EXPECT_EQ(display->sldVolume->value(), row.slider);
        EXPECT_EQ(recorder->Status().lngVolume, row.volume);
    }
    EXPECT_EQ(display->sldVolume->MinValue(), -101);
    EXPECT_EQ(display->sldVolume->MaxValue(), -1);
    EXPECT_EQ(display->sldVolume->Orientation(), int(MySlider::Vertical));
}

TEST_F(VolumeTest, DraggingToTheTopWritesFullVolume)
{
    recording(false);
    refresh(2);  // slider and mixer agree: the program has not just moved it
    dragToTop();
    EXPECT_EQ(display->sldVolume->value(), -101);
    EXPECT_EQ(recorder->Status().lngVolume, 100);
}

TEST_F(VolumeTest, HeldTheSliderIsNotPulledBackToTheMixer)
{
    recording(false);
    refresh(2);
    dragToTop(5);  // the mixer still says 30 on every refresh while held
    EXPECT_EQ(display->sldVolume->value(), -101);
    EXPECT_EQ(recorder->Status().lngVolume, 100);
}

TEST_F(VolumeTest, AKeyKeepsTheSliderForTheNextRefresh)
{
    recording(false);
    refresh(2);
    display->sldVolume->setFocus();
    QTest::keyClick(display->sldVolume, Qt::Key_Up);  // towards the top: louder
    EXPECT_EQ(display->sldVolume->value(), -32);
    EXPECT_EQ(recorder->Status().lngVolume, 31);
    refresh();
    EXPECT_EQ(display->sldVolume->value(), -32);
    // The key counts once: the refresh after that follows the mixer again.
    refresh();
    EXPECT_EQ(display->sldVolume->value(), -31);
}

TEST_F(VolumeTest, AChangedMixerMovesTheSliderWhileRecording)
{
    recording(false);
    const struct {
        qint32 mixer;
        qint32 slider;
        qint32 volume;
    } steps[] = {
        {30, -31, 30},
        {70, -71, 70},  // followed, and the recorder gets it
        {70, -71, 70},
        {0, -1, 0},
        {100, -101, 100},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.mixer);
        mixer = step.mixer;
        refresh();
        EXPECT_EQ(display->sldVolume->value(), step.slider);
        refresh();  // settled
        EXPECT_EQ(display->sldVolume->value(), step.slider);
        EXPECT_EQ(recorder->Status().lngVolume, step.volume);
    }
}

TEST_F(VolumeTest, WithoutARecordingTheSliderIsLeftAlone)
{
    mixer = 80;
    refresh(3);
    EXPECT_EQ(display->sldVolume->value(), -31);
    EXPECT_EQ(recorder->Status().lngVolume, 30);
}

TEST_F(VolumeTest, AMixerThatCannotBeReadLeavesSliderAndVolumeAlone)
{
    recording(false);
    mixer = -1;
    refresh(3);
    EXPECT_EQ(display->sldVolume->value(), -31);
    EXPECT_EQ(recorder->Status().lngVolume, 30);

    // The user's own changes still reach the recorder.
    dragToTop(2);
    EXPECT_EQ(display->sldVolume->value(), -101);
    EXPECT_EQ(recorder->Status().lngVolume, 100);
    refresh(3);
    EXPECT_EQ(display->sldVolume->value(), -101);
    EXPECT_EQ(recorder->Status().lngVolume, 100);

    // Once the mixer can be read again, the slider follows it.
    mixer = 20;
    refresh();
    EXPECT_EQ(display->sldVolume->value(), -21);
}
