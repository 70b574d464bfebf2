#pragma once

#include <QString>
#include <QtGlobal>

// How a recording is cut into files; the numbers are the ones presets and
// settings store.
enum class RecordingMode { SingleFile = 1, PerSong = 2, DatedArchive = 3 };

// The configuration of one recording: which station is recorded, where the
// files go, how the stream is cut, how long the recording runs, whether the
// user listens and whether old recordings are deleted. A plain value: the
// recorder keeps its own copy of the one it was started with.
struct RecordingConfig {
    QString sShoutCastFile;
    QString sRecordingTitle;
    QString sMP3Path;
    qint32 lTimedRecording = 60;
    bool bEnabledTimedRecording = true;
    bool bExitTimedRecording = false;
    RecordingMode lRecordingMode = RecordingMode::PerSong;
    QString sStreamFileName;
    bool bDeleteArchivesAfterTime = true;
    qint32 lDaysToKeepRecording = 30;
    // The recording was started from the control panel: its failures leave
    // the program running.
    bool bCalledFromGUI = false;
    bool bPreviewModeOnly = false;
    bool bStartPaused = false;
    bool bStartInListenMode = true;
    // The fields hold a configuration the panel can show.
    bool bConfigOK = false;
    QString sConfigFileName;

    bool operator==(const RecordingConfig&) const = default;
};
