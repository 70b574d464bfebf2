#include "ui/desktop/recorderdesktoplink.h"

#include "config/configuration.h"
#include "config/usersettings.h"
#include "recorder/covercache.h"
#include "recorder/frmmp3.h"
#include "recorder/recordingfiles.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

QString SongTitleOf(const QString& songName)
{
    const QString extension = RecordingExtensionOf(songName);
    if (songName.endsWith(extension, Qt::CaseInsensitive))
        return songName.chopped(extension.size());
    return songName;
}

RecorderDesktopLink::RecorderDesktopLink(frmMP3& recorder, Hooks hooks, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_recorder(&recorder), m_hooks(std::move(hooks)), m_controls(*this, bus),
      m_notifier(bus, m_hooks.openFolder), m_actions(bus, [this](DesktopAction action) { Perform(action); }),
      m_status(recorder.Status())
{
    watch();
    refresh();
}

void RecorderDesktopLink::watch()
{
    connect(m_recorder, &frmMP3::statusChanged, this, [this](const RecorderStatus& status) {
        m_status = status;
        if (!status.blnRecording)
            m_outageSaid = false;
        else if (!status.strConfigName.isEmpty() && status.strConfigName != LastPreset())
            SetLastPreset(status.strConfigName);
        refresh();
    });
    connect(m_recorder, &frmMP3::fileClosed, this, &RecorderDesktopLink::onFileClosed);
    connect(&m_recorder->Covers(), &RecorderCovers::coverChanged, this, [this] { refresh(); });
    connect(m_recorder, &frmMP3::reconnecting, this, &RecorderDesktopLink::onReconnecting);
    connect(m_recorder, &frmMP3::gaveUp, this, [this] {
        if (NotifyProblems())
            m_notifier.Show(notices::GaveUp(stationTitle()));
    });
}

void RecorderDesktopLink::Follow(frmMP3& recorder)
{
    if (&recorder == m_recorder)
        return;
    disconnect(m_recorder, nullptr, this, nullptr);
    disconnect(&m_recorder->Covers(), nullptr, this, nullptr);
    m_recorder = &recorder;
    m_status = recorder.Status();
    m_outageSaid = false;
    watch();
    refresh();
}

QString RecorderDesktopLink::stationTitle() const
{
    return m_recorder->Config().sRecordingTitle;
}

RecorderDesktopLink::~RecorderDesktopLink()
{
    Unregister();
}

void RecorderDesktopLink::Register()
{
    m_controls.Register();
    m_actions.Register();
}

void RecorderDesktopLink::Unregister()
{
    m_controls.Unregister();
    m_actions.Unregister();
}

void RecorderDesktopLink::refresh()
{
    const MediaState& before = m_controls.State();
    const RecorderStatus& status = m_status;
    MediaState s;
    s.recording = status.blnRecording;
    s.listening = status.blnPreviewToggle;
    s.paused = status.blnPaused;
    s.volume = std::clamp(status.lngVolume, 0, 100);
    s.track = before.track;
    if (s.recording) {
        s.title = SongTitleOf(status.strSongName);
        s.station = stationTitle();
        s.file = status.file;
        s.artUrl = cachedCover(m_recorder->Covers().Current());
        if (s.title != before.title)
            ++s.track;
        // A file keeps the title it was opened with: the next song's title
        // comes while the file before still takes the audio up to the cut.
        if (!s.file.isEmpty() && !s.title.isEmpty())
            m_titles.try_emplace(s.file, Saved{s.title, status.wished});
    }
    // The stream flows again: a later outage is told of again.
    if (m_outageSaid && status.connection == ConnectionState::Streaming)
        m_outageSaid = false;
    m_controls.SetState(s);
}

void RecorderDesktopLink::onFileClosed(const QString& path)
{
    const auto it = m_titles.find(path);
    const Saved saved = it != m_titles.end() ? it->second : Saved{SongTitleOf(QFileInfo(path).fileName()), false};
    // Only the file being written still needs its title.
    const QString current = m_recorder->RecordingPath();
    std::erase_if(m_titles, [&](const auto& entry) { return entry.first != current; });
    if (!path.isEmpty() && NotifySongs()) {
        const QString cover = cachedCover(m_recorder->Covers().For(QFileInfo(path).fileName()));
        m_notifier.Show(notices::SavedSong(saved.title, path, saved.wished, cover));
    }
    refresh();
}

QString RecorderDesktopLink::cachedCover(const CoverPicture& cover)
{
    if (cover.data == m_coverData)
        return m_coverPath;
    const QString path = covercache::Store(covercache::Folder(), cover);
    if (cover.IsNull() || !path.isEmpty()) {
        m_coverData = cover.data;
        m_coverPath = path;
    }
    return path;
}

void RecorderDesktopLink::onReconnecting()
{
    if (m_outageSaid)
        return;
    m_outageSaid = true;
    if (NotifyProblems())
        m_notifier.Show(notices::Reconnecting(stationTitle()));
}

void RecorderDesktopLink::StartRecording()
{
    // As the tray's "Start Recording": the recorder starts again on its
    // preset or servers; a recorder that has neither takes the preset
    // recorded last.
    QString preset = LastPreset();
    if (m_status.strConfigName.isEmpty() && m_recorder->ServerEntries().Last() < 1 && !preset.isEmpty()) {
        if (m_hooks.openPreset)
            m_hooks.openPreset(preset);
    } else
        m_recorder->Restart();
}

void RecorderDesktopLink::StopRecording()
{
    m_recorder->StopRecording();
}

void RecorderDesktopLink::TogglePause()
{
    m_recorder->TogglePause();
    refresh();
}

void RecorderDesktopLink::SetVolume(int percent)
{
    m_recorder->SetVolume(std::clamp(percent, 0, 100));
    refresh();
}

void RecorderDesktopLink::Raise()
{
    if (m_hooks.raise)
        m_hooks.raise();
}

void RecorderDesktopLink::Quit()
{
    // Never past an open dialog (the quit question among them): it comes
    // forward, and the user answers it first.
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
        return;
    }
    if (m_hooks.quitConfirmationShown && m_hooks.quitConfirmationShown()) {
        m_hooks.showQuitConfirmation();
        return;
    }
    // As the display's Exit: a running recording asks first; a paused one
    // ends without a question, as there.
    if (m_status.blnRecording && !m_status.blnPaused) {
        if (m_hooks.showQuitConfirmation)
            m_hooks.showQuitConfirmation();
    } else if (m_hooks.quitProgram) {
        m_hooks.quitProgram();
    }
}

void RecorderDesktopLink::Perform(DesktopAction action)
{
    if (action == DesktopAction::RecordLastPreset) {
        if (!m_status.blnRecording)
            StartRecording();
        Raise();
    } else if (action == DesktopAction::OpenSearch && m_hooks.openSearch) {
        m_hooks.openSearch();
    } else if (action == DesktopAction::OpenLibrary && m_hooks.openLibrary) {
        m_hooks.openLibrary();
    }
}
