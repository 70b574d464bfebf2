#pragma once

#include "recorder/coverart.h"
#include "recorder/recorderstatus.h"
#include "ui/desktop/desktopactions.h"
#include "ui/desktop/mediacontrols.h"
#include "ui/desktop/notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>

class frmMP3;

// The song's name as the recorder holds it without its file's extension.
QString SongTitleOf(const QString& songName);

// The recorder on the desktop's session bus: its state in the media
// controls, its saved songs and lost streams as notifications, and the
// commands of the media controls and of the menu entry's actions. The one
// place that reads the recorder for them.
class RecorderDesktopLink : public QObject, public IMediaCommands {
    Q_OBJECT
public:
    // What the program around does for it.
    struct Hooks {
        std::function<void()> raise;
        std::function<void()> showQuitConfirmation;
        // The quit question is on screen.
        std::function<bool()> quitConfirmationShown;
        std::function<void()> quitProgram;
        std::function<void()> openSearch;
        std::function<void()> openLibrary;
        std::function<void(const QString& folder)> openFolder;
        // Loads a preset and records it, as when given on the command line.
        std::function<bool(const QString& preset)> openPreset;
    };

    RecorderDesktopLink(frmMP3& recorder, Hooks hooks, QDBusConnection bus, QObject* parent = nullptr);
    ~RecorderDesktopLink() override;

    // Puts the services on the bus; Unregister takes them off.
    void Register();
    void Unregister();

    MediaControls& Controls() { return m_controls; }
    // The media controls and notifications follow `recorder` from now on
    // (the recording in focus when several run).
    void Follow(frmMP3& recorder);
    // Shows `notice` on the desktop.
    void Notify(const Notice& notice) { m_notifier.Show(notice); }

    // IMediaCommands
    void StartRecording() override;
    void StopRecording() override;
    void TogglePause() override;
    void SetVolume(int percent) override;
    void Raise() override;
    void Quit() override;

    // The menu entry's actions, from a later start.
    void Perform(DesktopAction action);

private:
    // The followed recording's station, as its recorder knows it.
    QString stationTitle() const;
    void watch();
    void refresh();
    void onFileClosed(const QString& path);
    void onReconnecting();

    frmMP3* m_recorder;
    Hooks m_hooks;
    MediaControls m_controls;
    DesktopNotifier m_notifier;
    DesktopActionService m_actions;
    RecorderStatus m_status; // as the recorder last told it
    struct Saved {
        QString title;
        bool wished = false; // on the wish list
    };
    std::map<QString, Saved> m_titles; // the song of each file written this run
    QByteArray m_coverData;            // the cover shown now, and its cached copy
    QString m_coverPath;
    // The cached copy of `cover` (the one shown now is not stored again).
    QString cachedCover(const CoverPicture& cover);
    bool m_outageSaid = false;         // the lost stream's notice is shown once per outage
};
