#pragma once

// The bytes the last minutes keep, oldest first, in memory or on disk.
//
// In memory they lie in blocks of a fixed size, so that what is kept takes
// its own size and at most a block more, however long it is kept. On disk
// they lie in a file with no name (gone with the program, however it ends):
// only the newest bytes not yet written and a small window of the oldest
// stay in memory, and the file's dropped front is given back to the file
// system as it goes, so that the file takes what is kept and a block more.
// The file is written and read, never mapped.
//
// A file that fails (the disk full, a read error) does not stop the
// keeping: what it holds is read back into memory and the keeping goes on
// there; only when that fails too is what was kept lost.

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>

class KeptAudio {
public:
    static constexpr qsizetype kBlockBytes = 16 * 1024; // in memory
    // On disk: written this much at once (about a second of audio: a write
    // a second, each cheaper by the kilobyte than smaller ones), and read
    // this much at once at the front.
    static constexpr qsizetype kWriteBytes = 16 * 1024;
    static constexpr qsizetype kReadBytes = 4 * 1024;
    static constexpr qint64 kHoleBytes = 64 * 1024;     // on disk: the dropped front goes in pieces this large

    KeptAudio() = default;
    ~KeptAudio();
    KeptAudio(const KeptAudio&) = delete;
    KeptAudio& operator=(const KeptAudio&) = delete;

    // Moves what is kept into a file with no name in `folder` (made when it
    // is not there). False, and `problem` says why, when no file can be
    // made there: it stays in memory.
    bool ToDisk(const QString& folder, QString* problem);
    // The user's cache folder, where such files go unless told otherwise.
    static QString CacheFolder();
    bool OnDisk() const { return m_fd >= 0; }
    // On disk: what the file takes of the disk, in bytes.
    qint64 DiskBytes() const;

    // False when what was kept before is lost (its file failed and could
    // not be read back); `data` is kept either way.
    bool Append(const char* data, qsizetype size);
    void DropFront(qsizetype size);
    void DropBack(qsizetype size);
    void Clear();
    qsizetype Size() const { return m_size; }
    // Appends `size` bytes from `at` (counted from the oldest) to `out`.
    void CopyTo(QByteArray& out, qsizetype at, qsizetype size) const;

    // Told when the file fails and the bytes go to memory (qWarning when unset).
    std::function<void(const QString&)> notice;
    void Say(const QString& text) const;

private:
    void appendToMemory(const char* data, qsizetype size);
    bool writeAt(qint64 offset, const char* data, qsizetype size);
    bool flush();
    bool readFile(QByteArray& out, qint64 offset, qsizetype size) const;
    void reclaim();
    void compact();
    bool toMemory(const QString& why);

    qsizetype m_size = 0;
    // In memory.
    std::deque<QByteArray> m_blocks;
    qsizetype m_head = 0; // the oldest byte, in the first block
    // On disk: the oldest byte is at m_fileHead of the file, which holds
    // m_fileEnd bytes; m_tail follows them, not written yet.
    int m_fd = -1;
    qint64 m_fileHead = 0;
    qint64 m_fileEnd = 0;
    qint64 m_freed = 0; // the file's front up to here is given back
    bool m_canPunch = true;
    QByteArray m_tail;
    mutable QByteArray m_front; // the file's bytes from m_frontAt on, as last read
    mutable qint64 m_frontAt = 0;
    mutable QString m_readProblem; // a read of the file failed
};
