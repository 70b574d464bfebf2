#pragma once

#include <QString>

class QWidget;
class frmMP3;

// What the program's windows ask of the desktop program around them: the
// quit routine, the quit confirmation, the recorder's tray menu and the
// other windows. The desktop program gives the real one; tests give a fake.
class IDesktopShell {
public:
    virtual ~IDesktopShell() = default;
    // Unloads every window, removes the tray icon and ends the program.
    virtual void QuitProgram() = 0;
    // Shows the quit confirmation without waiting for it.
    virtual void ShowQuitConfirmation() = 0;
    // The caption of the tray menu's display item ("Show Recording
    // Display" / "Hide Recording Display").
    virtual void SetToggleDisplayCaption(const QString& caption) = 0;
    // The small recording display, created on first use and shown.
    virtual void ShowRecordingDisplay() = 0;
    // The recording display when it exists (the panel docks it), else null.
    virtual QWidget* RecordingDisplayWindow() = 0;
    // The two search windows.
    virtual void ShowDirectorySearch() = 0;
    virtual void ShowPresetSearch() = 0;
    // The directory search window, set to search Radio Browser.
    virtual void ShowRadioBrowserSearch() = 0;
    // The "Recordings" window, made when first asked for.
    virtual void ShowLibrary() {}
    // "What Plays Where": the title history's charts.
    virtual void ShowWhatPlays() = 0;
    // A recording runs and is not paused, whichever recorder it has (when
    // several stations record at once).
    virtual bool AnyRecordingRunning() { return false; }
    // Listens to `recorder`'s station or stops listening to it, moving the
    // listening away from any other; false when the caller does it itself.
    virtual bool ListenTo(frmMP3& recorder)
    {
        Q_UNUSED(recorder);
        return false;
    }
};

// Records what the windows asked for (tests).
class RecordingDesktopShell : public IDesktopShell {
public:
    void QuitProgram() override { ++quits; }
    void ShowQuitConfirmation() override { ++confirmations; }
    void SetToggleDisplayCaption(const QString& caption) override { toggleCaption = caption; }
    void ShowRecordingDisplay() override { ++displays; }
    QWidget* RecordingDisplayWindow() override { return display; }
    void ShowDirectorySearch() override { ++directorySearches; }
    void ShowPresetSearch() override { ++presetSearches; }
    void ShowRadioBrowserSearch() override { ++radioBrowserSearches; }
    void ShowLibrary() override { ++libraries; }
    void ShowWhatPlays() override { ++whatPlays; }

    int quits = 0;
    int confirmations = 0;
    int displays = 0;
    int directorySearches = 0;
    int presetSearches = 0;
    int radioBrowserSearches = 0;
    int libraries = 0;
    int whatPlays = 0;
    QString toggleCaption;
    QWidget* display = nullptr;
};
