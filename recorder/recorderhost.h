#pragma once

#include <QString>

// The windows and system services around the recorder that live outside the
// core library (the control panel, the recording display, file
// associations). The desktop program and the headless runner each give
// their own.
class IRecorderHost {
public:
    virtual ~IRecorderHost() = default;
    // Opens the control panel filled from the shared configuration.
    virtual void ShowPanelFromConfiguration() = 0;
    // Shows the small recording display.
    virtual void ShowRecordingDisplay() = 0;
    // The recorder's state is set up, before it reads its command line: the
    // moment for its icon in the notification area.
    virtual void RecorderLoaded() {}
    // Unloads every window before the program ends.
    virtual void UnloadWindows() = 0;
    virtual void InstallAssociations() = 0;
    virtual void UninstallAssociations() = 0;
};

class NullRecorderHost : public IRecorderHost {
public:
    void ShowPanelFromConfiguration() override {}
    void ShowRecordingDisplay() override {}
    void UnloadWindows() override {}
    void InstallAssociations() override {}
    void UninstallAssociations() override {}
};
