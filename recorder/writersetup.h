#pragma once

#include "config/recordingconfig.h"
#include "recorder/songwriter.h"

// What a song writer reads of a recording's configuration: its folder, its
// mode, the station's title, the single file's name and whether it starts
// paused, read from `config` whenever the writer asks (the recording may
// learn the station's title, or leave its paused start, as it goes).
// `config` must outlive the writer.
SongWriterSetup WriterSetupFor(const RecordingConfig& config);

struct RecorderDeps;
class ISleeper;
// The same, with the recorder's clocks, its deliberate pauses (slept by
// `pauses`) and its song-rule compiler.
SongWriterSetup WriterSetupFor(const RecordingConfig& config, const RecorderDeps& deps, ISleeper& pauses);
