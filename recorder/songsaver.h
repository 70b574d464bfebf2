#pragma once

// "Save This Song": the song playing, written to a file of its own from its
// title on (as far back as the last minutes reach) and on to its end, while
// the station goes on being recorded or watched as before.

#include "recorder/lastminutes.h"

#include <QFile>
#include <QString>

class SongSaver {
public:
    // Follows what `kept` keeps; `kept` outlives the saver.
    explicit SongSaver(LastMinutes& kept);
    ~SongSaver();
    SongSaver(const SongSaver&) = delete;
    SongSaver& operator=(const SongSaver&) = delete;

    // Begins the song's file in `folder` ("<title><ext>", or the first free
    // "<title> (2)<ext>" ...): its path, or "" and `problem` says why (no
    // title, its beginning no longer kept, the file cannot be written).
    QString Start(const QString& folder, QString* problem);
    bool Saving() const { return m_file.isOpen(); }
    QString Path() const { return m_file.fileName(); }
    // The next title began, or the station stopped: the file is closed
    // (and an MP3 tagged with the song's artist and title).
    void Finish();

private:
    void append(QByteArrayView unit, quint32 serial);

    LastMinutes& m_kept;
    QFile m_file;
    QString m_title;
    quint32 m_serial = 0;
    bool m_serialKnown = false; // the file holds a page of stream m_serial
    bool m_failed = false;
};
