#pragma once

#include <QString>
#include <QList>
#include <QPair>
#include <QStringList>

// Runs a program with a time limit; true when it exited with status 0.
bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr, int timeoutMs = 60000);

// Makes a short tone file with sox, lame or ffmpeg, by the file's extension
// (wav, mp3, ogg, mp2, wma). 44.1 kHz stereo unless `sampleRate`/`channels` say otherwise.
bool MakeTone(const QString& path, double seconds, int sampleRate = 44100, int channels = 2);

// What ffmpeg's own command line decodes the file into as 44.1 kHz 16-bit
// stereo ("" on failure).
QByteArray FfmpegDecode(const QString& path);

// Writes an 8-bit mono PCM WAV file of `seconds` of silence at `rate`, with
// a LIST INFO chunk holding the given raw (id, value) pairs, such as
// ("INAM", title) and ("IART", artist).
bool MakeWav(const QString& path, double seconds, int rate = 8000,
             const QList<QPair<QByteArray, QByteArray>>& info = {});
