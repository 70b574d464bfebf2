#pragma once

// A preset or playlist file given to the recorder (on its command line, by
// a restart, by the desktop's "open"): loaded into the program's
// configuration, and the recorder started with a copy of it, or the panel
// shown filled from it.

#include "config/recordingconfig.h"

#include <QString>
#include <functional>

class clsConfiguration;
class frmMP3;
class IMessageService;

// What a file given to the recorder asks for.
struct PresetStart {
    enum class Action {
        Failed,   // not loaded; its messages were shown
        Panel,    // "-noop": the panel is shown filled from the preset
        Record,   // a preset: its playlist is fetched, then recorded
        Playlist, // a playlist file (.pls): its servers recorded under its first title
    };
    Action action = Action::Failed;
    RecordingConfig config; // what the recording is started with
};

// Loads `file` into `config` and says what it starts; a file that cannot
// be loaded shows its messages.
PresetStart LoadPresetToRecord(const QString& file, bool noop, clsConfiguration& config, IMessageService& messages);

// A recording started again at the program's start from the preset it was
// loaded from: `config` becomes the preset as it reads now. False when the
// file no longer loads as a preset (gone, damaged, not a .tvp; its
// messages are shown): that recording is left out and `config` unchanged.
bool LoadPresetToResume(const QString& preset, RecordingConfig& config, IMessageService& messages);

class PresetOpener {
public:
    PresetOpener(frmMP3& recorder, clsConfiguration& config, IMessageService& messages);

    // Shows the panel filled from the configuration ("-noop").
    std::function<void()> showPanel;
    // Shows the recording display (a playlist file's recording begins).
    std::function<void()> showDisplay;

    // Loads `file` and starts what it asks for; false when it could not be loaded.
    bool Open(const QString& file, bool noop = false);

private:
    frmMP3& m_recorder;
    clsConfiguration& m_config;
    IMessageService& m_messages;
};
