#include "config/configuration.h"

#include "config/safewrite.h"
#include "config/settings.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <limits>
#include <optional>

namespace {

const QString kSongNameOnly = QStringLiteral("SONGNAMEONLY");
const QString kFileNamePrefix = QStringLiteral("FILENAME");
const QString kDefaultFolderMark = QStringLiteral("%DEFDIR%");

bool isCommentLine(const QString& line)
{
    return line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('#'));
}

// A count as a preset holds it: decimal digits, blanks around them allowed.
// Signs are refused: a negative length or number of days has no meaning, and
// a negative number of days would delete every archive.
bool isNumeric(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The value of a numeric text when it fits in 32 bits.
std::optional<qint32> toCount(const QString& text)
{
    if (!isNumeric(text))
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

// A number as the preset writes it: a blank for the sign, the digits, a blank.
QString numberField(qint32 value)
{
    if (value < 0)
        return QString::number(value) + QLatin1Char(' ');
    return QLatin1Char(' ') + QString::number(value) + QLatin1Char(' ');
}

}  // namespace

clsConfiguration::clsConfiguration()
{
    NewConfiguration();
    bConfigOK = false;
}

void clsConfiguration::NewConfiguration()
{
    sShoutCastFile.clear();
    sRecordingTitle.clear();
    sMP3Path.clear();
    lTimedRecording = 60;
    bEnabledTimedRecording = true;
    bExitTimedRecording = false;
    lRecordingMode = RecordingMode::PerSong;
    sStreamFileName.clear();
    bDeleteArchivesAfterTime = true;
    lDaysToKeepRecording = 30;
    bCalledFromGUI = false;
    bPreviewModeOnly = false;
    bStartPaused = false;
    bStartInListenMode = true;
    sConfigFileName.clear();
    m_headerLines.clear();
}

void clsConfiguration::show(const QString& text)
{
    if (m_messages)
        m_messages->ShowMessage(text);
    else
        m_stderr.ShowMessage(text);
}

bool clsConfiguration::fail()
{
    bConfigOK = false;
    return false;
}

bool clsConfiguration::IsPlaylistAddress(const QString& address)
{
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    const QString hlsPath = query < 0 ? address : address.left(query);
    return address.endsWith(QLatin1String(".m3u")) || address.endsWith(QLatin1String(".pls")) ||
           hlsPath.endsWith(QLatin1String(".m3u8"));
}

bool clsConfiguration::LoadConfigurationFile(const QString& strFileToLoad)
{
    if (!FileExists(strFileToLoad)) {
        show(QCoreApplication::translate("Configuration", "The preset file specified does not exist!"));
        return fail();
    }
    sConfigFileName = strFileToLoad;

    m_headerLines.clear();
    // A preset is a few hundred bytes; anything that is not a regular file of
    // a sane size (a FIFO, a device, a huge file) is refused before reading.
    const FileRead file = ReadRegularFile(strFileToLoad, kPresetMaxBytes);
    if (file.status == FileRead::NotRegular || file.status == FileRead::TooLarge)
        show(QCoreApplication::translate("Configuration", "The preset file specified %1!").arg(file.problem));
    if (!file.ok())
        return fail();
    const QStringList lines = DecodeLines(file.bytes);
    qsizetype next = 0;
    while (next < lines.size() && isCommentLine(lines.at(next)))
        m_headerLines.append(lines.at(next++));
    // The six data lines; a file that ends before the last one fails quietly
    // when its turn comes.
    auto readLine = [&](QString& line) {
        if (next >= lines.size())
            return false;
        line = lines.at(next++);
        return true;
    };
    QString line;

    // 1: title and flags
    if (!readLine(line))
        return fail();
    const QString prefix = line.left(3);
    if (line.size() >= 4 && prefix == QLatin1String("!L-")) {
        sRecordingTitle = line.mid(3);
        bStartPaused = false;
        bStartInListenMode = true;
    } else if (line.size() >= 4 && prefix == QLatin1String("!P-")) {
        sRecordingTitle = line.mid(3);
        bStartPaused = true;
        bStartInListenMode = false;
    } else if (line.size() >= 4 && prefix == QLatin1String("!X-")) {
        sRecordingTitle = line.mid(3);
        bStartPaused = true;
        bStartInListenMode = true;
    } else {
        sRecordingTitle = line;
        bStartPaused = false;
        bStartInListenMode = false;
    }

    // 2: playlist address
    if (!readLine(line))
        return fail();
    if (!IsPlaylistAddress(line)) {
        show(strFileToLoad + QLatin1Char('\r') +
             QCoreApplication::translate("Configuration",
                                         "Invalid Shoutcast playlist! (The web site must end in .m3u or .pls)"));
        return fail();
    }
    sShoutCastFile = line;

    // 3: capture mode
    if (!readLine(line))
        return fail();
    sStreamFileName = line;
    if (sStreamFileName.endsWith(kSongNameOnly)) {
        lRecordingMode = RecordingMode::PerSong;
    } else if (sStreamFileName.startsWith(kFileNamePrefix)) {
        lRecordingMode = RecordingMode::SingleFile;
        sStreamFileName = line.mid(9);
    } else {
        lRecordingMode = RecordingMode::DatedArchive;
    }

    // 4: save folder
    if (!readLine(line))
        return fail();
    QString folder = line == kDefaultFolderMark ? GetDefaultFolder(true) : line;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    sMP3Path = folder;
    if (!PathExists(sMP3Path)) {
        show(QCoreApplication::translate("Configuration", "The path specified does not exist!"));
        return fail();
    }

    // 5: length in minutes
    if (!readLine(line))
        return fail();
    if (!isNumeric(line) && !isNumeric(line.mid(1))) {
        show(QCoreApplication::translate(
            "Configuration", "A number of minutes (or 0 for continuous) must be specified for the recording length!"));
        return fail();
    }
    const bool keepRunning = line.startsWith(QLatin1Char('S'));
    const std::optional<qint32> minutes = toCount(keepRunning ? line.mid(1) : line);
    if (!minutes)
        return fail();
    lTimedRecording = *minutes;
    bExitTimedRecording = !keepRunning;
    bEnabledTimedRecording = lTimedRecording != 0;

    // 6: days to keep
    if (!readLine(line))
        return fail();
    if (!isNumeric(line)) {
        show(QCoreApplication::translate(
            "Configuration",
            "A number of minutes must be specified for the days to keep the recording! (Even for title streams)"));
        return fail();
    }
    const std::optional<qint32> days = toCount(line);
    if (!days)
        return fail();
    lDaysToKeepRecording = *days;
    bDeleteArchivesAfterTime = lDaysToKeepRecording != 0;

    bConfigOK = true;
    return true;
}

bool clsConfiguration::SaveConfigurationFile(const QString& strFileToSave)
{
    QStringList lines = m_headerLines;

    QString prefix;
    if (bStartPaused && bStartInListenMode)
        prefix = QStringLiteral("!X-");
    else if (bStartPaused)
        prefix = QStringLiteral("!P-");
    else if (bStartInListenMode)
        prefix = QStringLiteral("!L-");
    lines.append(prefix + sRecordingTitle);

    lines.append(sShoutCastFile);

    if (lRecordingMode == RecordingMode::PerSong)
        lines.append(kSongNameOnly);
    else if (lRecordingMode == RecordingMode::SingleFile)
        lines.append(kFileNamePrefix + QLatin1Char(' ') + sStreamFileName);
    else
        lines.append(sStreamFileName);

    lines.append(kDefaultFolderMark);

    const qint32 minutes = bEnabledTimedRecording ? lTimedRecording : 0;
    lines.append(bExitTimedRecording ? numberField(minutes) : QLatin1Char('S') + QString::number(minutes));

    lines.append(numberField(bDeleteArchivesAfterTime ? lDaysToKeepRecording : 0));

    if (!WriteTextLinesSafely(strFileToSave, lines))
        return false;
    sConfigFileName = strFileToSave;
    return true;
}

clsConfiguration& Configuration()
{
    static clsConfiguration instance;
    return instance;
}
