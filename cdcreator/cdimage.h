#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// CD audio layout: 2352-byte sectors of 16-bit stereo at 44.1 kHz, 75 to the
// second.
namespace CdAudio {
constexpr qint64 kSectorBytes = 2352;
constexpr qint64 kSectorsPerSecond = 75;
constexpr qint64 kBytesPerSecond = kSectorBytes * kSectorsPerSecond; // 176400
constexpr qint64 kDiscSectors = 80 * 60 * kSectorsPerSecond;        // an 80-minute disc
constexpr int kMaxTracks = 99;

// Whole sectors needed for `bytes` of audio (the last one padded with silence).
qint64 SectorsFor(qint64 bytes);
// Sectors of silence for a pause of `seconds` (rounded to the nearest sector;
// negative and non-finite values give 0).
qint64 PauseSectors(double seconds);
// "MM:SS:FF" for a sector position (minutes may pass 99 on a long image).
QString MsfText(qint64 sector);
} // namespace CdAudio

// One track of an image: its length in whole sectors, the silence that comes
// before it in the image, and its CD-TEXT.
struct CueTrack {
    qint64 sectors = 0;
    qint64 pauseBefore = 0;
    QString title;
    QString performer;
};

// The cue sheet of an image file holding `tracks` one after another, each
// pause stored in the image as the track's pre-gap (INDEX 00). Lines end with
// CR LF. The disc's and each track's title and performer go into TITLE and
// PERFORMER lines when not empty.
QString BuildCueSheet(const QString& binFileName, const std::vector<CueTrack>& tracks, const QString& title = {},
                      const QString& performer = {});
