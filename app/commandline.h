#pragma once

// The recorder's command line, read once at the start: the whole argument
// text, as the program was given it.

#include <QString>

struct CommandLine {
    enum class Action {
        Panel,                 // nothing given: the control panel opens
        Open,                  // a preset (.tvp) or playlist file (.pls), recorded or shown
        InstallAssociations,   // "-installassc"
        UninstallAssociations, // "-uninstallassc"
        RecordLastPreset,      // "--record-last-preset"
        OpenSearch,            // "--open-search"
        Help,                  // "--help", "-h"
        Version,               // "--version"
    };
    Action action = Action::Panel;
    // The file to open, without the quotes around it or in it.
    QString file;
    // " -noop" followed the file: the panel is filled from it, nothing recorded.
    bool noop = false;

    bool operator==(const CommandLine&) const = default;
};

// Reads the argument text. Double quotes are dropped wherever they are; a
// file is everything else, spaces included, but for a " -noop" at its end
// (or "-noop " at its start).
CommandLine ParseCommandLine(const QString& text);
