#pragma once

#include "platform/messages.h"

#include <QString>
#include <QStringList>

// How a recording is cut into files; the numbers are the ones presets and
// settings store.
enum class RecordingMode { SingleFile = 1, PerSong = 2, DatedArchive = 3 };

// The recording configuration: which station is recorded, where the files
// go, how the stream is cut, how long the recording runs, whether the user
// listens and whether old recordings are deleted. Stored in a six-line
// preset file (".tvp"):
//   comment lines (first character " " or "#"), kept and written back
//   1 title, with an optional flag prefix "!L-", "!P-" or "!X-"
//   2 playlist address, ending in ".m3u" or ".pls"
//   3 "SONGNAMEONLY", "FILENAME <name>" or an archive base name
//   4 save folder, or "%DEFDIR%" (always written as "%DEFDIR%")
//   5 minutes, 0 = continuous; a leading "S" keeps the program running after
//     the timed recording
//   6 days to keep recordings, 0 = keep
class clsConfiguration {
public:
    clsConfiguration();

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
    bool bCalledFromGUI = false;
    bool bPreviewModeOnly = false;
    bool bStartPaused = false;
    bool bStartInListenMode = true;
    bool bConfigOK = false;
    QString sConfigFileName;

    // Reads a preset into the fields. True when all six lines were accepted;
    // a refused line shows its message and leaves the fields read before it
    // assigned. A file that ends early fails without a message; one that is
    // not a regular file, or larger than kPresetMaxBytes, fails with one.
    bool LoadConfigurationFile(const QString& strFileToLoad);
    static constexpr qint64 kPresetMaxBytes = 1024 * 1024;
    // Writes the fields as a preset. False, with no message, when the file
    // cannot be written; the old file is then left as it was.
    bool SaveConfigurationFile(const QString& strFileToSave);
    // Every field to its default (bConfigOK excepted); no comment lines.
    void NewConfiguration();
    // The comment lines at the top of the last loaded preset.
    QStringList HeaderLines() const { return m_headerLines; }

    // Where the loader's messages go; nullptr returns to stderr.
    void setMessageService(IMessageService* messages) { m_messages = messages; }

private:
    bool fail();
    void show(const QString& text);

    QStringList m_headerLines;
    IMessageService* m_messages = nullptr;
    StderrMessageService m_stderr{QStringLiteral("Tonquill")};
};

// The one configuration of the program, created on first use.
clsConfiguration& Configuration();
