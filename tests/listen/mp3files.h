#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Real MP3 fixtures made with sox and lame, and the outside tools that read them.
namespace mp3files {

bool HaveTool(const QString& name);

// A `seconds` long 440 Hz stereo sine at 44.1 kHz, 128 kbit/s, written into
// `folder`. Empty when sox or lame is missing or fails.
QByteArray MakeSine(const QString& folder, int seconds);

// Runs a tool to its end (at most `timeoutMs`) and returns its stdout, or
// an empty array with `ok` false.
QByteArray RunTool(const QString& program, const QStringList& arguments, bool& ok, int timeoutMs = 30000);

// The number of MPEG audio frames ffprobe counts in a file (-1 on failure).
int FfprobeFrameCount(const QString& path);

// The PCM bytes in a RIFF WAV file (-1 when unreadable).
qint64 WavDataBytes(const QString& path);

}  // namespace mp3files
