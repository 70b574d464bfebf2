#pragma once

#include "recorder/recorderstatus.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;
class ITrayIcon;
class clsConfiguration;
class frmMP3;

// The recorder's menu in the notification area, as the recorder's status asks.
struct RecorderMenuState {
    QString mPopExit = QCoreApplication::translate("RecorderTray", "Exit");
    bool mnuStartRecording = true;
    bool mnuStopRecording = false;
    bool mnuPauseRecording = false;
    bool mnuToggleDisplay = true;
    bool mnuListen = false;
    QString mnuPauseRecordingCaption = QCoreApplication::translate("RecorderTray", "Pause Recording");
    QString mnuListenCaption = QCoreApplication::translate("RecorderTray", "Listen to recording");
};

RecorderMenuState MenuStateOf(const RecorderStatus& status);

// The windows the tray menu opens and raises.
class ITrayWindows {
public:
    virtual ~ITrayWindows() = default;
    // The recording display; loaded first when `load` is true, else null
    // while it is not loaded.
    virtual QWidget* RecordingDisplay(bool load) = 0;
    // The control panel, or null while it is not loaded.
    virtual QWidget* Panel() = 0;
    // Opens the panel to set up a new recording: minimising it then hides
    // it, and it is filled from the configuration when a preset is loaded.
    virtual void ShowPanelForSetup() = 0;
    // Listens to `recorder` or stops listening to it; false when the tray
    // asks the recorder itself.
    virtual bool ListenTo(frmMP3& recorder)
    {
        Q_UNUSED(recorder);
        return false;
    }
};

// The recorder's icon in the notification area and its menu `mPopupSys`:
// the tip follows the recorder, the items follow its state, and clicks on
// the icon open and raise the windows.
class RecorderTray : public QObject {
    Q_OBJECT
public:
    static const QString kDisplayCaption; // the recording display's window caption

    RecorderTray(frmMP3& recorder, ITrayIcon& icon, ITrayWindows& windows, QObject* parent = nullptr);
    ~RecorderTray() override;

    // Adds the icon with the tip "Tonquill".
    void Create();
    bool Created() const { return m_created; }
    // Removes the icon (when the program ends).
    void Remove();

    // The notification area's callback.
    void Form_MouseMove(int message);

    void mnuSetup_Click();
    void mnuToggleDisplay_Click();
    void mnuListen_Click();
    void mnuStartRecording_Click();
    void mnuStopRecording_Click();
    void mnuPauseRecording_Click();
    void mPopExit_Click();

    // The display item's caption, which the display itself keeps up to date.
    void SetToggleDisplayCaption(const QString& caption);

    // The menu and the tip follow `recorder` from now on (the recording in
    // focus when several run).
    void Follow(frmMP3& recorder);
    frmMP3& Followed() const { return *m_recorder; }
    // Makes the tip the icon shows out of the followed recorder's own.
    void SetTipMaker(std::function<QString(const QString& recorderTip)> maker);
    // Shows the tip again (what the tip maker reads has changed).
    void RefreshTip();
    // Adds "Stop All" below the pause item; `stopAll` ends every recording.
    QAction* AddStopAll(std::function<void()> stopAll);
    // Adds "Recordings" above the exit item; `open` shows the library.
    QAction* AddLibrary(std::function<void()> open);
    // Adds "Save the Last Minutes" and "Save This Song" below it, which
    // save those of the recording followed.
    void AddSaving(std::function<void()> lastMinutes, std::function<void()> thisSong);

    QMenu* mPopupSys = nullptr;
    QAction* mnuSetup = nullptr;
    QAction* mnuToggleDisplay = nullptr;
    QAction* mnuListen = nullptr;
    QAction* mnuStartRecording = nullptr;
    QAction* mnuStopRecording = nullptr;
    QAction* mnuPauseRecording = nullptr;
    QAction* mPopExit = nullptr;
    QAction* mnuStopAll = nullptr;
    QAction* mnuLibrary = nullptr;
    QAction* mnuSaveLastMinutes = nullptr;
    QAction* mnuSaveThisSong = nullptr;
    QAction* addAfter(QAction* before, const char* name, const QString& text, std::function<void()> act);

private:
    void followStatus(const RecorderStatus& status);
    void applyTip(const QString& tip);

    frmMP3* m_recorder;
    frmMP3& m_program; // the program's own recorder: starts again and exits
    std::function<QString(const QString&)> m_tipMaker;
    RecorderStatus m_status;
    // The items keep the state they were built with until the first
    // recording starts.
    bool m_menuFollows = false;
    ITrayIcon& m_icon;
    ITrayWindows& m_windows;
    bool m_created = false;
    QString m_tip = QStringLiteral("Tonquill"); // the recorder's latest tip, for an icon added late
};
