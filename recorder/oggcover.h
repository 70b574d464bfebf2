#pragma once

#include "recorder/coverart.h"

#include <QByteArray>
#include <QString>

// A front cover in an Ogg Vorbis or Ogg Opus file: a
// METADATA_BLOCK_PICTURE comment (a FLAC picture block in base64) added to
// its comment header, whose pages are laid out again with the following
// pages' sequence numbers and checksums made right.

// The FLAC picture block of `cover` as a front cover (type 3), not yet in base64.
QByteArray FlacPictureBlock(const CoverPicture& cover);
// The picture of a FLAC picture block (as METADATA_BLOCK_PICTURE holds it,
// decoded from base64); a null picture when the block does not add up.
CoverPicture ReadFlacPictureBlock(const QByteArray& block);
// The first METADATA_BLOCK_PICTURE of a Vorbis comment structure (vendor,
// count, fields; the packet's own prefix taken off), read; null when none.
CoverPicture OggCommentPicture(const char* data, qsizetype size);

struct OggCoverResult {
    QByteArray file;        // the whole file with the cover, when ok
    QString error;          // why not; "" when ok
    bool unchanged = false; // the file has a picture of its own and is left as it is
    bool ok() const { return error.isEmpty(); }
};
// `file` (one logical Vorbis or Opus stream, as a song's file holds it)
// with `cover` in its comments. A file whose comments hold a picture
// already, and an Ogg FLAC file, are left as they are; a file that is not whole Ogg pages of Vorbis or
// Opus, or whose header does not end on a page of its own, is an error.
OggCoverResult AddOggCover(const QByteArray& file, const CoverPicture& cover);
// AddOggCover on the file at `path`, replaced whole only when it worked.
bool WriteOggCover(const QString& path, const CoverPicture& cover, QString* error = nullptr);
