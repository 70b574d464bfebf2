#pragma once

// Loopback stations for the tests of several recordings at once: each with
// its folder and the playlist file that names it.

#include "fixture.h"

inline QByteArray AlongsideStreamStart()
{
    return "ICY 200 OK\r\nicy-metaint:16\r\ncontent-type:audio/mpeg\r\n\r\n" + QByteArray(16, 'a') +
           IcyTitleBlock("Artist - Song") + QByteArray(16, 'b');
}

struct Station {
    explicit Station(const QString& name) : name(name)
    {
        playlist = folder.file(name + QStringLiteral(".pls"));
        WriteAll(playlist, "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://127.0.0.1:" + loopback.port().toLatin1() +
                               "/stream\r\n");
    }
    QString name;
    TempFolder folder;
    LoopbackStation loopback;
    QString playlist;
};

// The station answers the recorder's latest connection and sends a song.
inline bool streams(Station& s, frmMP3& r)
{
    if (!WaitUntil([&] { return s.loopback.last() && r.SongRulesReady(); }))
        return false;
    s.loopback.last()->write(AlongsideStreamStart());
    return WaitUntil([&] { return r.AudioBytesWritten() >= 32; });
}

// The station sends more audio (an empty metadata block, then a block of
// audio); true once `r` has written it.
inline bool grows(Station& s, frmMP3& r)
{
    const qint64 before = r.AudioBytesWritten();
    s.loopback.last()->write(QByteArray(1, '\0') + QByteArray(16, 'c'));
    return WaitUntil([&] { return r.AudioBytesWritten() == before + 16; });
}
