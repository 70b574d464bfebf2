#pragma once

// The recording display on a recorder built with fakes (the recorder spine's
// fixture); the tests hand the display a status of their own and run its
// timer by calling the handler.
#include "fixture.h"

#include "ui/controls/myslider.h"
#include "ui/display/frmrecordingdisplay.h"
#include "ui/shell/desktopshell.h"

#include <QImage>
#include <QLCDNumber>
#include <QLabel>

#include <memory>

class DisplayTest : public RecorderFixture {
protected:
    void SetUp() override
    {
        RecorderFixture::SetUp();
        recorder->SetVolume(30);
        load();
    }
    void TearDown() override
    {
        display.reset();
        RecorderFixture::TearDown();
    }

    // A new display window (the old one, if any, is unloaded first).
    void load()
    {
        display.reset();
        DisplayEnvironment env;
        env.masterVolume = [this] { return mixer; };
        env.cursorPos = [this] { return cursor; };
        display = std::make_unique<frmRecordingDisplay>(*recorder, config, shell, env);
        display->show();
    }

    void recording(bool timed)
    {
        status.blnRecording = true;
        config.bEnabledTimedRecording = timed;
    }

    // The status goes to the display, then its timer ticks `times` times.
    void refresh(int times = 1)
    {
        display->ShowStatus(status);
        for (int i = 0; i < times; ++i)
            display->tmrRecState_Timer();
    }

    // The colour in the middle of a painted shape.
    static QColor centre(QWidget* w)
    {
        const QImage img = w->grab().toImage();
        return img.pixelColor(img.width() / 2, img.height() / 2);
    }

    // The brightest pixel of a painted label: its text colour where a
    // glyph covers a whole pixel (the window's background is black).
    static QColor brightest(QWidget* w)
    {
        const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QColor best(0, 0, 0);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() + c.green() + c.blue() > best.red() + best.green() + best.blue())
                    best = c;
            }
        return best;
    }

    static QString digits(QLCDNumber* seg)
    {
        return QString::number(seg->intValue()).rightJustified(2, QLatin1Char('0'));
    }
    QString clock() const
    {
        return digits(display->segHour) + QLatin1Char(' ') + digits(display->segMin) + QLatin1Char(' ') +
               digits(display->segSec);
    }

    RecorderStatus status; // what the display is shown by refresh()
    RecordingDesktopShell shell;
    qint32 mixer = 30;
    QPoint cursor{-100, -100};
    std::unique_ptr<frmRecordingDisplay> display;
};
