#pragma once

// The recorder's command line, read once at the start: the whole argument
// text, as the program was given it.

#include <QDate>
#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action {
        Panel,                 // nothing given: the control panel opens
        Open,                  // a preset (.tvp) or playlist file (.pls), recorded or shown
        Record,                // "--record FILE [FILE ...]": each file recorded side by side
        Watch,                 // "--watch FILE [FILE ...]" (without "--record"): stations watched
        History,               // "--history [--json] [--station NAME] [--since DATE] [--title TEXT]"
        InstallAssociations,   // "-installassc"
        UninstallAssociations, // "-uninstallassc"
        RecordLastPreset,      // "--record-last-preset"
        OpenSearch,            // "--open-search"
        OpenLibrary,           // "--open-library"
        Help,                  // "--help", "-h"
        Version,               // "--version"
    };
    Action action = Action::Panel;
    // The file to open, without the quotes around it or in it.
    QString file;
    // " -noop" followed the file: the panel is filled from it, nothing recorded.
    bool noop = false;
    // "--record": the files, each without its quotes, in the order given.
    QStringList files;
    // "--watch": the files of the stations watched, as `files`.
    QStringList watched;
    // "--history": the plays asked for.
    bool json = false;
    QString station;
    QDate since;
    QString title;
    // Why the switches after "--history" cannot be read ("" when they can).
    QString problem;

    bool operator==(const CommandLine&) const = default;
};

// Reads the argument text. Double quotes are dropped wherever they are; a
// file is everything else, spaces included, but for a " -noop" at its end
// (or "-noop " at its start).
// After "--record" the files are words: spaces part them but inside double
// quotes, where they are part of the name ("--record a.tvp \"my b.pls\"").
// "--watch" parts the files watched from those recorded, in either order
// ("--record a.tvp --watch b.tvp c.pls"). After "--history" the words are
// its switches and their values, a value in quotes when it has spaces.
CommandLine ParseCommandLine(const QString& text);

// The argument text of `arguments` (the program's own name left out), as
// ParseCommandLine reads it: the arguments joined by spaces; after a first
// "--record", "--watch" or "--history" an argument with a space in it is put
// in double quotes, so the files and texts given come back as they were given.
QString CommandLineText(const QStringList& arguments);
