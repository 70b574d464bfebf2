#pragma once

#include "config/usersettings.h"
#include "recorder/recordingfiles.h"
#include "recorder/songrulescompiler.h"

#include <QDateTime>
#include <QString>
#include <functional>

class ILive365Link;
class IMessageService;
class IRecorderHost;
class IRelay;
class ISleeper;
class ITickSource;

// Everything the recorder reaches outside itself.
// The most the stream socket takes from the system per data event: small
// enough that a chunk is still in the cache when it is written to the file.
constexpr qint64 kStreamReadBytes = 256 * 1024;

struct RecorderDeps {
    ITickSource* clock = nullptr;
    IMessageService* messages = nullptr;
    ISleeper* sleeper = nullptr;
    IRelay* relay = nullptr;
    ILive365Link* live365 = nullptr; // may be null: Live365 stations then record without its titles
    IRecorderHost* host = nullptr;
    std::function<QDateTime()> now; // wall clock for file names, tags and clean-up
    std::function<bool()> ieAgent;  // the web-agent setting
    int headerPauseMs = 500;        // the pause after a stream's response header
    int filePauseMs = kCreateFilePauseMs;
    // The two pauses hold back the stream's processing (its data waits in
    // the socket) instead of blocking the thread, so windows, timers and
    // signals (SIGTERM) keep being served however many titles a chunk
    // brings. Off, the sleeper blocks.
    bool holdStream = true;
    // The per-user recording options, read when a recording starts; unset:
    // from the per-user settings store.
    std::function<RecordingOptions()> options;
    // The folder of the song rules' lists; unset: beside the per-user settings.
    std::function<QString()> rulesFolder;
    // Reads and compiles the lists (on a worker thread); unset: SongRules::Load.
    SongRulesCompiler::Compile compileRules;
    // The last seconds recorded, to find them again in a reconnected
    // stream, are kept in a file with no name (the user's cache folder)
    // instead of memory: for one program recording many stations.
    bool joinMemoryOnDisk = false;
};
