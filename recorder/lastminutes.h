#pragma once

// The last minutes of a station's audio, kept as whole frames (MP3, AAC
// ADTS) or whole pages (Ogg, with the header pages of each logical stream
// they belong to), oldest first. What is kept stays through reconnects and
// after the stream ended; a new stream's partial first frame is never kept.
// Saving writes the kept audio to a file of its own.
//
// The audio is kept in memory, or on disk (KeepOnDisk) with only its index
// (frame counts, Ogg pages and header pages, the title's place) in memory.

#include "recorder/keptaudio.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <deque>
#include <functional>

class LastMinutes {
public:
    enum class Framing { Mp3, Adts, Ogg };

    explicit LastMinutes(qint64 keepMs = 5 * 60 * 1000) : m_keepUs(keepMs * 1000) {}

    // The audio goes to a file with no name in `folder` (the user's cache
    // folder when ""), what is kept already with it. False, said, when no
    // file can be made there: it stays in memory. Should the file fail
    // later, the keeping goes on in memory.
    bool KeepOnDisk(const QString& folder = QString());
    bool KeptOnDisk() const { return m_data.OnDisk(); }
    // What its file takes of the disk, in bytes.
    qint64 DiskBytes() const { return m_data.DiskBytes(); }
    // Told what went wrong with the file (qWarning when unset).
    void SetNotice(std::function<void(const QString&)> notice) { m_data.notice = std::move(notice); }

    // How much playing time is kept (at least; the oldest unit goes once
    // the rest holds that much).
    void SetKeepMs(qint64 ms) { m_keepUs = ms * 1000; }
    qint64 KeepMs() const { return m_keepUs / 1000; }

    // A connection's stream begins: what the last one left unfinished goes.
    void BeginStream(Framing framing);
    // Chooses the framing from a stream's Content-Type.
    static Framing FramingOf(const QByteArray& contentType, bool ogg);
    void Append(const char* data, qsizetype size);
    // The stream ended: a last frame that is whole is kept.
    void Finish();

    // Playing time, bytes and units (frames or pages) kept.
    qint64 KeptMs() const { return m_totalUs / 1000; }
    qsizetype KeptBytes() const { return m_data.Size(); }
    qsizetype KeptUnits() const { return m_keptFraming == Framing::Ogg ? qsizetype(m_units.size()) : m_frames; }
    // What a saved file holds.
    QByteArray Bytes() const;
    // ".mp3", ".aac" or ".ogg".
    QString Extension() const;

    // A title began: what comes from now on is its song's.
    void MarkTitle(const QString& title);
    QString MarkedTitle() const { return m_markTitle; }
    // The beginning of the marked title is still kept (or nothing of it
    // has come yet).
    bool TitleKept() const;
    // What is kept from the marked title on (Ogg: its pages' header pages
    // first), as a file of its own would begin.
    QByteArray BytesSinceTitle() const;
    // An Ogg stream's header pages, as far as they are known.
    QByteArray HeadersOf(quint32 serial) const { return m_ogg.value(serial).headers; }
    Framing KeptFraming() const { return m_keptFraming; }
    // The Ogg stream of the newest unit kept (0 when none is).
    quint32 LastSerial() const { return m_keptFraming != Framing::Ogg || m_units.empty() ? 0 : m_units.back().serial; }
    // Told of every unit as it is kept, with its Ogg stream.
    std::function<void(QByteArrayView unit, quint32 serial)> unitKept;

    // The file's name: "<station> - <yyyy-MM-dd HH.mm.ss> - last N minutes<ext>".
    QString FileName(const QString& station, const QDateTime& when, int minutes) const;
    // Writes Bytes() to FileName(...) in `folder`; its path, or "" and `problem` says why.
    QString Save(const QString& folder, const QString& station, const QDateTime& when, int minutes,
                 QString* problem) const;

private:
    // An Ogg page kept. MP3 and ADTS frames are not listed: their sizes
    // and times are read again from their headers as they go.
    struct Page {
        qsizetype size;
        qint64 us;      // playing time
        quint32 serial; // the logical stream
    };
    void parse(bool final);
    qsizetype frameAt(qsizetype pos, qint64* us) const;
    // The oldest frame kept: its size, and its time in `us`.
    qsizetype oldestFrame(qint64* us) const;
    qsizetype oggPageAt(qsizetype pos, bool final) const;
    void keepOggPage(const char* page, qsizetype size);
    void keep(const char* data, qsizetype size, qint64 us, quint32 serial = 0);
    void dropOld();
    // What is kept goes (counted as dropped).
    void forgetKept();

    qint64 m_keepUs;
    Framing m_framing = Framing::Mp3;
    Framing m_keptFraming = Framing::Mp3; // of what is kept
    QByteArray m_pending;                 // bytes not yet a whole unit
    KeptAudio m_data;           // the kept units
    std::deque<Page> m_units;   // Ogg: the pages kept
    qsizetype m_frames = 0;     // MP3, ADTS: the frames kept
    qint64 m_droppedBytes = 0;  // bytes gone from the front, ever
    qint64 m_mark = -1;         // where the marked title began, counted as m_droppedBytes is
    QString m_markTitle;
    qint64 m_totalUs = 0;
    // Ogg: each logical stream's header pages, its sample rate and last granule.
    struct OggStream {
        QByteArray headers;
        qint64 rate = 0;
        qint64 granule = -1;
        bool inHeaders = true;
    };
    QHash<quint32, OggStream> m_ogg;
};
