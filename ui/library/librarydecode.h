#pragma once

// Whether a recording file holds audio of its kind, read from its first
// bytes: MPEG frames for MP3, ADTS frames for AAC (either after an ID3v2
// tag), an Ogg stream that begins with Vorbis, Opus or FLAC for ".ogg" (Opus
// for ".opus"), "fLaC" for FLAC, an "ftyp" box for M4A. A file that holds
// none is listed with a mark and not played.

#include <QByteArray>
#include <QString>

// How many bytes after an ID3v2 tag are looked at.
inline constexpr qsizetype kDecodeProbeBytes = 64 * 1024;

// The size of the ID3v2 tag at the start of `head` (header, body and
// footer); 0 when it begins with none. `head` needs its first 10 bytes.
qsizetype Id3v2TagSize(const QByteArray& head);

// Why `audio` (the file's bytes after any ID3v2 tag, up to
// kDecodeProbeBytes) holds no audio of `format` ("MP3", "AAC", "OGG",
// "OPUS", "FLAC", "M4A"); "" when it does.
QString DecodeProblemOf(const QByteArray& audio, const QString& format);

// The same for a file, read from disk: "" when it holds audio, else why
// not (empty, unreadable, no audio of its kind).
QString LibraryDecodeProblem(const QString& path);
