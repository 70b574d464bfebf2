#pragma once

#include <QString>

// Where the program keeps its own files.
//  - TONQUILL_HOME, when set, holds everything.
//  - Else the executable's folder when it is writable and not one of the
//    system's own folders (/usr/..., /bin, /sbin): portable use.
//  - Else the XDG config folder "tonquill" (INI files, the per-user
//    options, assoc.mcg) and the XDG data folder "tonquill" (Presets, Help).
// Every folder returned ends with "/".
class ProgramFolders {
public:
    static QString ConfigFolder();
    static QString DataFolder();
    // The data folder's "Presets/", where presets are saved, opened and
    // searched; made when `create` is true and it is missing.
    static QString PresetsFolder(bool create);
    // Overrides for tests; "" returns to the rules above.
    static void SetOverride(const QString& folder);

private:
    static QString base(bool data);
};

// True when there is no display to show windows on.
bool IsHeadless();
