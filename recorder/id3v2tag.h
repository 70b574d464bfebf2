#pragma once

#include "recorder/coverart.h"
#include "recorder/recordingfiles.h"

#include <QDate>
#include <QString>

// Writes (or replaces) an ID3v2.4 tag in UTF-8 at the start of the MP3 file
// at `path`: artist, title, the comment of the ID3v1 tag and the recording
// date. An ID3v1 tag at the end stays as it is. False when the file is
// missing, is not MPEG audio, or cannot be written. A `cover` that is not
// null becomes the tag's one front cover (APIC); a null one leaves the
// tag's pictures as they are.
bool WriteID3v2Tag(const QString& path, const TagInfo& tag, const QDate& recordingDate,
                   const CoverPicture& cover = CoverPicture());
