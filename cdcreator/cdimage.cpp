#include "cdcreator/cdimage.h"

#include <cmath>

namespace CdAudio {

qint64 SectorsFor(qint64 bytes)
{
    if (bytes <= 0)
        return 0;
    return (bytes + kSectorBytes - 1) / kSectorBytes;
}

qint64 PauseSectors(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    return std::llround(seconds * kSectorsPerSecond);
}

QString MsfText(qint64 sector)
{
    if (sector < 0)
        sector = 0;
    const qint64 frames = sector % kSectorsPerSecond;
    const qint64 seconds = (sector / kSectorsPerSecond) % 60;
    const qint64 minutes = sector / kSectorsPerSecond / 60;
    return QStringLiteral("%1:%2:%3")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(frames, 2, 10, QLatin1Char('0'));
}

} // namespace CdAudio

namespace {

// Quotes in a cue value cannot be escaped; they become apostrophes.
QString CueQuoted(QString text)
{
    text.replace(QLatin1Char('"'), QLatin1Char('\''));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString BuildCueSheet(const QString& binFileName, const std::vector<CueTrack>& tracks, const QString& title,
                      const QString& performer)
{
    const QString eol = QStringLiteral("\r\n");
    QString cue;
    auto text = [&cue, &eol](const char* indent, const QString& value, const char* keyword) {
        if (!value.isEmpty())
            cue += QLatin1String(indent) + QLatin1String(keyword) + QLatin1Char(' ') + CueQuoted(value) + eol;
    };
    text("", title, "TITLE");
    text("", performer, "PERFORMER");
    cue += QStringLiteral("FILE ") + CueQuoted(binFileName) + QStringLiteral(" BINARY") + eol;
    qint64 position = 0;
    int number = 0;
    for (const CueTrack& track : tracks) {
        ++number;
        cue += QStringLiteral("  TRACK %1 AUDIO").arg(number, 2, 10, QLatin1Char('0')) + eol;
        text("    ", track.title, "TITLE");
        text("    ", track.performer, "PERFORMER");
        if (track.pauseBefore > 0) {
            cue += QStringLiteral("    INDEX 00 ") + CdAudio::MsfText(position) + eol;
            position += track.pauseBefore;
        }
        cue += QStringLiteral("    INDEX 01 ") + CdAudio::MsfText(position) + eol;
        position += track.sectors;
    }
    return cue;
}
