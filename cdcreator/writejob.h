#pragma once

#include "cdcreator/cdtext.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <vector>

// What one write is asked to do; copied into the job when it starts, so the
// queue can change while the write runs.
struct WriteRequest {
    std::vector<QString> paths;
    std::vector<double> estimatedSeconds; // play time of each track as probed
    qint64 pauseSectors = 0;              // silence between tracks
    bool testMode = false;                // decode and pace, write nothing
    int speed = 0;                        // CD speed factor (1 = 176400 bytes a second)
    bool finalizeDisc = true;
    int writeMethod = 0;                  // 0 disc at once, 1 track at once
    CdTextSet cdText;                     // titles and performers of the disc and tracks
    QString binPath;                      // image device only
    QString cuePath;
};

// Progress of the running write, written by the job's thread and read by the
// window's 100 ms tick.
struct WriteProgress {
    std::atomic<double> totalBytes{0};
    std::atomic<double> bytesWritten{0};
    // 1 while preparing, then 1 + the number of the track being written.
    std::atomic<int> currentTrack{0};
};

// A write that runs on its own thread. The recorder starts it, may ask it to
// stop, and reads the outcome once finished() arrived.
class WriteJob : public QThread {
    Q_OBJECT
public:
    WriteJob(WriteRequest request, WriteProgress& progress);
    ~WriteJob() override;

    void RequestAbort() { m_abort = true; }
    bool abortRequested() const { return m_abort; }

    // Valid after the thread has finished.
    bool succeeded() const { return m_ok; }
    bool aborted() const { return m_aborted; }
    QString errorText() const { return m_error; }
    QString resultText() const { return m_result; }
    const WriteRequest& request() const { return m_request; }

    // Bytes of a track as the layout counts them: whole sectors.
    static qint64 EstimatedTrackBytes(double seconds);
    static double EstimatedTotalBytes(const WriteRequest& request);

signals:
    // News worth telling the user while the job runs (from the job's thread).
    void Notice(const QString& text);

protected:
    // Decodes track `index`, handing the audio to `sink` in pieces and
    // padding the last sector with silence. Counts the bytes, paces them in
    // test mode, and stops early on an abort or a failure (false, m_error set
    // on failure). `trackBytes` receives the padded length.
    bool DecodeTrack(int index, const std::function<bool(const char*, qint64)>& sink, qint64* trackBytes);
    // Hands `sectors` sectors of silence to `sink`, with the same counting.
    bool Silence(qint64 sectors, const std::function<bool(const char*, qint64)>& sink);
    // Counts bytes that were handed on and, when pacing, waits until the
    // selected speed allows more (stops waiting on an abort).
    void Account(qint64 bytes);
    void Fail(const QString& text);
    void Finish(bool ok, const QString& result = {});

    WriteRequest m_request;
    WriteProgress& m_progress;
    bool m_pace = false;

private:
    std::atomic<bool> m_abort{false};
    QElapsedTimer m_clock;
    double m_accounted = 0;
    bool m_ok = false;
    bool m_aborted = false;
    QString m_error;
    QString m_result;
};

// Writes the queue into a BIN/CUE image (or, in test mode, only decodes and
// paces it). A stopped or failed write leaves no files behind.
class ImageWriteJob : public WriteJob {
    Q_OBJECT
public:
    using WriteJob::WriteJob;

protected:
    void run() override;
};
