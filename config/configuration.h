#pragma once

#include "config/recordingconfig.h"
#include "platform/messages.h"

#include <QString>
#include <QStringList>

// The program's recording configuration, the one the control panel edits and
// preset files are loaded into; a recording is started with a copy of it.
// Stored in a six-line preset file (".tvp"):
//   comment lines (first character " " or "#"), kept and written back
//   1 title, with an optional flag prefix "!L-", "!P-" or "!X-"
//   2 playlist address, ending in ".m3u" or ".pls"
//   3 "SONGNAMEONLY", "FILENAME <name>" or an archive base name
//   4 save folder, or "%DEFDIR%" (always written as "%DEFDIR%")
//   5 minutes, 0 = continuous; a leading "S" keeps the program running after
//     the timed recording
//   6 days to keep recordings, 0 = keep
class clsConfiguration : public RecordingConfig {
public:
    clsConfiguration();

    // Reads a preset into the fields. True when all six lines were accepted;
    // a refused line shows its message and leaves the fields read before it
    // assigned. A file that ends early fails without a message; one that is
    // not a regular file, or larger than kPresetMaxBytes, fails with one.
    bool LoadConfigurationFile(const QString& strFileToLoad);
    static constexpr qint64 kPresetMaxBytes = 1024 * 1024;
    // An address line 2 takes: a playlist ending in ".m3u" or ".pls", or an
    // HLS playlist ".m3u8" (whose address may carry a query).
    static bool IsPlaylistAddress(const QString& address);
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
