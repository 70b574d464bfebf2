#pragma once

// What the recorder asks of the program around it that lives outside the
// core library (the windows, file associations). The desktop program and
// the headless runner each give their own.
class IRecorderHost {
public:
    virtual ~IRecorderHost() = default;
    // The recorder's state is set up, before it reads its command line: the
    // moment for its icon in the notification area.
    virtual void RecorderLoaded() {}
    // Unloads every window before the program ends.
    virtual void UnloadWindows() = 0;
    virtual void InstallAssociations() = 0;
    virtual void UninstallAssociations() = 0;
};
