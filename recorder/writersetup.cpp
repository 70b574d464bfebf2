#include "recorder/writersetup.h"

#include "recorder/recorderdeps.h"

SongWriterSetup WriterSetupFor(const RecordingConfig& config)
{
    SongWriterSetup setup;
    setup.folder = [&config] { return config.sMP3Path; };
    setup.mode = [&config] {
        switch (config.lRecordingMode) {
        case RecordingMode::PerSong:
            return SongWriter::Mode::PerSong;
        case RecordingMode::DatedArchive:
            return SongWriter::Mode::DatedArchive;
        default:
            return SongWriter::Mode::SingleFile;
        }
    };
    setup.stationTitle = [&config] { return config.sRecordingTitle; };
    setup.streamFile = [&config] { return config.sStreamFileName; };
    setup.startPaused = [&config] { return config.bPreviewModeOnly; };
    return setup;
}

SongWriterSetup WriterSetupFor(const RecordingConfig& config, const RecorderDeps& deps, ISleeper& pauses)
{
    SongWriterSetup setup = WriterSetupFor(config);
    setup.now = deps.now;
    setup.clock = deps.clock;
    setup.sleeper = &pauses;
    setup.headerPauseMs = deps.headerPauseMs;
    setup.filePauseMs = deps.filePauseMs;
    setup.compileRules = deps.compileRules;
    setup.joinMemoryOnDisk = deps.joinMemoryOnDisk;
    return setup;
}
