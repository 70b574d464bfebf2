#pragma once

#include "recorder/recorderstatus.h"
#include "ui/display/titleticker.h"

#include <QPoint>
#include <QWidget>
#include <functional>

class QLCDNumber;
class QLabel;
class QTimer;
class QToolButton;
class IDesktopShell;
class MySlider;
class Resize;
class clsConfiguration;
class frmMP3;
class CoverThumb;

// A lamp of the display: a filled shape with a border.
class LampShape : public QWidget {
    Q_OBJECT
public:
    enum class Form { Ellipse, Bar };
    LampShape(Form form, QWidget* parent);
    void setFill(const QColor& fill);
    void setBorder(const QColor& border);
    QColor fill() const { return m_fill; }
    QColor border() const { return m_border; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Form m_form;
    QColor m_fill;
    QColor m_border;
};

// What the display reads outside the recorder.
struct DisplayEnvironment {
    // The system's playback volume in percent; -1 when it cannot be read.
    std::function<qint32()> masterVolume;
    // The mouse position on the screen.
    std::function<QPoint()> cursorPos;
};

// The small window that mirrors the recording: lamps, the elapsed or
// remaining time, the bit rate, the scrolling title and the volume, with
// buttons for the recorder's commands. It follows the recorder's status
// signals; its own timer, running while it is seen (not while hidden or
// minimised), scrolls the title and follows the system's volume.
class frmRecordingDisplay : public QWidget {
    Q_OBJECT
public:
    static const QColor kLit;  // RGB(255, 0, 0)
    static const QColor kDim;  // RGB(64, 0, 0)
    // An unlit lamp's caption: dim, yet readable on black.
    static const QColor kUnlitText;

    frmRecordingDisplay(frmMP3& recorder, const clsConfiguration& config, IDesktopShell& shell,
                        DisplayEnvironment env = {}, QWidget* parent = nullptr);
    ~frmRecordingDisplay() override;

    // The recorder's status changed (shown at once while the display is seen,
    // else when it is seen again).
    void ShowStatus(const RecorderStatus& status);
    void tmrRecState_Timer();
    void cmdRecord_Click();
    void cmdStop_Click();
    void cmdPause_Click();
    void cmdPreview_Click();
    void cmdQuit_Click();
    void lblRecTime_Click();
    void cmdTimeMode_Click();
    void sldVolume_Change(qint32 value);
    void sldVolume_MouseDown();
    void sldVolume_MouseUp();
    void sldVolume_Keypress();

    int TimeMode() const { return m_timeMode; }
    const TitleTicker& Ticker() const { return m_ticker; }
    QString DisplayTitle() const { return m_displayTitle; }

    QWidget* pcSize = nullptr;
    QLabel* lblSongTitle = nullptr;
    CoverThumb* lblCover = nullptr; // the song's cover, left of the title
    QLCDNumber* segHour = nullptr;
    QLCDNumber* segMin = nullptr;
    QLCDNumber* segSec = nullptr;
    QLabel* lblRecTime = nullptr;
    LampShape* shpNeg1 = nullptr;
    LampShape* shpNeg2 = nullptr;
    LampShape* shpNeg3 = nullptr;
    LampShape* shpRec = nullptr;
    QLabel* lblRec = nullptr;
    LampShape* shpPreview = nullptr;
    QLabel* lblPreview = nullptr;
    LampShape* shpError = nullptr;
    QLabel* lblTimeOut = nullptr;
    QLabel* lblBR = nullptr;
    QToolButton* cmdRecord = nullptr;
    QToolButton* cmdPreview = nullptr;
    QToolButton* cmdStop = nullptr;
    QToolButton* cmdPause = nullptr;
    QToolButton* cmdQuit = nullptr;
    QToolButton* cmdTimeMode = nullptr;
    MySlider* sldVolume = nullptr;
    Resize* Resize1 = nullptr;
    QTimer* tmrRecState = nullptr;

signals:
    // A refresh has run.
    void refreshed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void light(QLabel* label, bool lit);
    void light(LampShape* shape, bool lit, bool border);
    void showTime(qint32 hours, qint32 minutes, qint32 seconds);
    void showStatus();
    // `step`: a title too wide for the label scrolls on by one step.
    void showTitle(bool step);
    void tickerStep();
    void followVolume();
    void followWindowState();
    // The cover of the song recording now; the title makes room for it.
    void showCover();

    frmMP3& m_recorder;
    const clsConfiguration& m_config;
    IDesktopShell& m_shell;
    DisplayEnvironment m_env;
    TitleTicker m_ticker;
    RecorderStatus m_status;
    int m_timeMode = 1;
    QString m_displayTitle;
    int m_coverShift = 0; // how far the title's viewport moved right for the cover
    bool m_programSetsVolume = false;
    bool m_sliderHeld = false;
    bool m_sliderKeyed = false;
};
