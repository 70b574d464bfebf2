#pragma once

#include "tests/listen/mp3files.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// AAC in ADTS frames made by ffmpeg's own encoder.
namespace aacfixtures {

// A 440 Hz sine of `seconds` at `rate` with `channels`, as ADTS frames.
// Empty when ffmpeg is missing or fails.
inline QByteArray MakeAdts(const QString& folder, int rate, int channels, double seconds)
{
    const QString path = folder + QStringLiteral("sine-%1-%2.aac").arg(rate).arg(channels);
    bool ok = false;
    mp3files::RunTool(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                       QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(rate).arg(seconds),
                       QStringLiteral("-ac"), QString::number(channels), QStringLiteral("-c:a"), QStringLiteral("aac"),
                       QStringLiteral("-f"), QStringLiteral("adts"), path},
                      ok);
    QFile f(path);
    return ok && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where each frame of an ADTS stream begins, by the 13-bit length in its
// header; the stream's length last.
inline QList<qsizetype> FrameStarts(const QByteArray& adts)
{
    QList<qsizetype> starts;
    qsizetype at = 0;
    while (at + 7 <= adts.size()) {
        const auto* p = reinterpret_cast<const uchar*>(adts.constData()) + at;
        const qsizetype length = (qsizetype(p[3] & 3) << 11) | (qsizetype(p[4]) << 3) | (p[5] >> 5);
        if (p[0] != 0xff || length < 7)
            break;
        starts << at;
        at += length;
    }
    starts << at;
    return starts;
}

} // namespace aacfixtures
