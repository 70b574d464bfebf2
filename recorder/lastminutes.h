#pragma once

// The last minutes of a station's audio, kept in memory as whole frames
// (MP3, AAC ADTS) or whole pages (Ogg, with the header pages of each
// logical stream they belong to), oldest first. What is kept stays through
// reconnects and after the stream ended; a new stream's partial first frame
// is never kept. Saving writes the kept audio to a file of its own.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <deque>

class LastMinutes {
public:
    enum class Framing { Mp3, Adts, Ogg };

    explicit LastMinutes(qint64 keepMs = 5 * 60 * 1000) : m_keepUs(keepMs * 1000) {}

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
    qsizetype KeptUnits() const { return qsizetype(m_units.size()); }
    // What a saved file holds.
    QByteArray Bytes() const;
    // ".mp3", ".aac" or ".ogg".
    QString Extension() const;

    // The file's name: "<station> - <yyyy-MM-dd HH.mm.ss> - last N minutes<ext>".
    QString FileName(const QString& station, const QDateTime& when, int minutes) const;
    // Writes Bytes() to FileName(...) in `folder`; its path, or "" and `problem` says why.
    QString Save(const QString& folder, const QString& station, const QDateTime& when, int minutes,
                 QString* problem) const;

private:
    struct Unit {
        qsizetype size;
        qint64 us;      // playing time
        quint32 serial; // Ogg: the logical stream
    };
    void parse(bool final);
    qsizetype frameAt(qsizetype pos, qint64* us) const;
    qsizetype oggPageAt(qsizetype pos, bool final) const;
    void keepOggPage(const char* page, qsizetype size);
    void keep(const char* data, qsizetype size, qint64 us, quint32 serial = 0);
    void dropOld();

    qint64 m_keepUs;
    Framing m_framing = Framing::Mp3;
    Framing m_keptFraming = Framing::Mp3; // of what is kept
    QByteArray m_pending;                 // bytes not yet a whole unit
    // Bytes in blocks of a fixed size, so that what is kept takes its own
    // size and at most a block more, however long it is kept.
    class Blocks {
    public:
        static constexpr qsizetype kBlockBytes = 64 * 1024;
        void Append(const char* data, qsizetype size);
        void DropFront(qsizetype size);
        void Clear();
        qsizetype Size() const { return m_size; }
        // Appends `size` bytes from `at` (counted from the oldest) to `out`.
        void CopyTo(QByteArray& out, qsizetype at, qsizetype size) const;

    private:
        std::deque<QByteArray> m_blocks;
        qsizetype m_head = 0; // the oldest byte, in the first block
        qsizetype m_size = 0;
    };
    Blocks m_data; // the kept units
    std::deque<Unit> m_units;
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
