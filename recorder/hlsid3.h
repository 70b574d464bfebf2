#pragma once

#include <QByteArray>
#include <QString>

// What one ID3v2 tag of an HLS stream tells: its title ("Artist - Title"
// when it names an artist) and the stream time the tag stands for.
struct HlsId3Tag {
    bool ok = false;
    QString error;      // why the tag could not be read whole; "" when ok
    qsizetype size = 0; // the tag's bytes, header and footer included
    QString title;      // TIT2 / TXXX "title"
    QString artist;     // TPE1 / TXXX "artist"
    bool hasTimestamp = false;
    qint64 timestamp = 0; // com.apple.streaming.transportStreamTimestamp, 90 kHz
    // The picture of an APIC (PIC) frame, the front cover before any other;
    // its type as the frame gives it ("image/jpeg", "JPG", ...). "" when none.
    QByteArray picture, pictureType;

    // "Artist - Title", the title alone, or "" when it names none.
    QString StreamTitle() const;
};

// The bytes at `offset` start an ID3v2 tag ("ID3", a version 2 to 4 and a size).
bool StartsId3Tag(const QByteArray& data, qsizetype offset = 0);

// Reads the ID3v2 (2.2, 2.3 or 2.4) tag at `offset`. A tag whose size runs
// past the data, or whose frames claim more than the tag holds, is not ok
// (its `size` is still what its header says when that fits).
HlsId3Tag ReadHlsId3Tag(const QByteArray& data, qsizetype offset = 0);
