#include "app/presetopener.h"

#include "config/configuration.h"
#include "config/settings.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "recorder/frmmp3.h"

#include <QCoreApplication>

PresetStart LoadPresetToRecord(const QString& file, bool noop, clsConfiguration& config, IMessageService& messages)
{
    PresetStart start;
    if (file.endsWith(QLatin1String(".tvp"))) {
        if (!FileExists(file)) {
            messages.ShowMessage(QCoreApplication::translate("frmMP3", "The preset file specified does not exist!"));
            return start;
        }
        if (!config.LoadConfigurationFile(file)) {
            messages.ShowMessage(QCoreApplication::translate(
                "frmMP3", "The preset file is invalid! (Check that there are six lines exactly)"));
            return start;
        }
        start.action = noop ? PresetStart::Action::Panel : PresetStart::Action::Record;
        start.config = config;
        // Recorded from the command line, not from the panel.
        start.config.bCalledFromGUI = false;
        return start;
    }

    if (file.endsWith(QLatin1String(".pls"))) {
        config.NewConfiguration();
        config.sShoutCastFile = file;
        config.lTimedRecording = 0;
        config.bEnabledTimedRecording = false;
        config.sMP3Path = GetDefaultFolder(true);
        // Every recording path is the folder followed by the file name.
        if (!config.sMP3Path.isEmpty() && !config.sMP3Path.endsWith(QLatin1Char('/')))
            config.sMP3Path += QLatin1Char('/');
        config.bPreviewModeOnly = noop;
        start.action = PresetStart::Action::Playlist;
        start.config = config;
        return start;
    }

    messages.ShowMessage(QCoreApplication::translate("frmMP3",
                                                     "This is not a supported filetype to load! (Tavrix currently only "
                                                     "supports preset files (.tvp) and Shoutcase playlists (.pls)!)"));
    return start;
}

bool LoadPresetToResume(const QString& preset, RecordingConfig& config, IMessageService& messages)
{
    clsConfiguration loaded;
    loaded.setMessageService(&messages);
    const PresetStart start = LoadPresetToRecord(preset, false, loaded, messages);
    if (start.action != PresetStart::Action::Record)
        return false;
    config = start.config;
    return true;
}

PresetOpener::PresetOpener(frmMP3& recorder, clsConfiguration& config, IMessageService& messages)
    : m_recorder(recorder), m_config(config), m_messages(messages)
{
    QObject::connect(&m_recorder, &frmMP3::presetWanted, &m_recorder, [this](const QString& preset) { Open(preset); });
    QObject::connect(&m_recorder, &frmMP3::playlistRead, &m_recorder, [this](const QString& title) {
        m_config.sRecordingTitle = title;
        m_config.bConfigOK = true;
        if (showDisplay)
            showDisplay();
    });
}

bool PresetOpener::Open(const QString& file, bool noop)
{
    const PresetStart start = LoadPresetToRecord(file, noop, m_config, m_messages);
    switch (start.action) {
    case PresetStart::Action::Failed:
        return false;
    case PresetStart::Action::Panel:
        if (showPanel)
            showPanel();
        return true;
    case PresetStart::Action::Record:
        return m_recorder.InitializeMP3Recorder(start.config);
    case PresetStart::Action::Playlist:
        m_recorder.ReadPlaylist(start.config);
        return true;
    }
    return false;
}
