#include "cdcreator/writejob.h"

#include "cdcreator/audiodecoder.h"
#include "cdcreator/cdimage.h"
#include "cdcreator/timetext.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

WriteJob::WriteJob(WriteRequest request, WriteProgress& progress)
    : m_request(std::move(request)), m_progress(progress)
{
}

WriteJob::~WriteJob()
{
    RequestAbort();
    wait();
}

qint64 WriteJob::EstimatedTrackBytes(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    const qint64 bytes = std::llround(seconds * AudioDecoder::kSampleRate) * AudioDecoder::kBytesPerFrame;
    return CdAudio::SectorsFor(bytes) * CdAudio::kSectorBytes;
}

double WriteJob::EstimatedTotalBytes(const WriteRequest& request)
{
    double total = 0;
    for (double seconds : request.estimatedSeconds)
        total += EstimatedTrackBytes(seconds);
    if (request.paths.size() > 1)
        total += double(request.paths.size() - 1) * request.pauseSectors * CdAudio::kSectorBytes;
    return total;
}

void WriteJob::Fail(const QString& text)
{
    if (m_error.isEmpty())
        m_error = text;
}

void WriteJob::Finish(bool ok, const QString& result)
{
    m_aborted = abortRequested() && !ok;
    m_ok = ok && !abortRequested();
    m_result = result;
}

void WriteJob::Account(qint64 bytes)
{
    if (!m_clock.isValid())
        m_clock.start();
    m_accounted += bytes;
    m_progress.bytesWritten = m_accounted;
    if (!m_pace)
        return;
    const double rate = double(std::max(1, m_request.speed)) * CdAudio::kBytesPerSecond;
    const qint64 dueMs = qint64(m_accounted * 1000.0 / rate);
    // Short naps so an abort is noticed quickly.
    while (!abortRequested() && m_clock.elapsed() < dueMs)
        QThread::msleep(std::clamp<qint64>(dueMs - m_clock.elapsed(), 1, 50));
}

bool WriteJob::Silence(qint64 sectors, const std::function<bool(const char*, qint64)>& sink)
{
    static const QByteArray zeros(CdAudio::kSectorBytes * 75, '\0');
    qint64 left = sectors * CdAudio::kSectorBytes;
    while (left > 0 && !abortRequested()) {
        const qint64 piece = std::min<qint64>(left, zeros.size());
        if (!sink(zeros.constData(), piece))
            return false;
        Account(piece);
        left -= piece;
    }
    return !abortRequested();
}

bool WriteJob::DecodeTrack(int index, const std::function<bool(const char*, qint64)>& sink, qint64* trackBytes)
{
    const QString& path = m_request.paths.at(index);
    auto failure = [&](const QString& why) {
        return tr("Track %1 (%2) cannot be read: %3").arg(index + 1).arg(FileNameFromPath(path), why);
    };
    AudioDecoder decoder;
    if (!decoder.Open(path)) {
        Fail(failure(decoder.errorText()));
        return false;
    }
    qint64 bytes = 0;
    QByteArray pcm;
    while (!abortRequested()) {
        pcm.clear();
        if (!decoder.Read(pcm))
            break;
        if (!sink(pcm.constData(), pcm.size()))
            return false;
        bytes += pcm.size();
        Account(pcm.size());
    }
    if (abortRequested())
        return false;
    if (!decoder.errorText().isEmpty()) {
        Fail(failure(decoder.errorText()));
        return false;
    }
    const qint64 padded = CdAudio::SectorsFor(bytes) * CdAudio::kSectorBytes;
    if (padded > bytes) {
        const QByteArray zeros(padded - bytes, '\0');
        if (!sink(zeros.constData(), zeros.size()))
            return false;
        Account(zeros.size());
    }
    // The estimate of this track gives way to its real length.
    const double estimate = EstimatedTrackBytes(m_request.estimatedSeconds.at(index));
    m_progress.totalBytes = m_progress.totalBytes.load() - estimate + double(padded);
    *trackBytes = padded;
    return true;
}

void ImageWriteJob::run()
{
    m_pace = m_request.testMode;
    m_progress.currentTrack = 1;
    QFile bin(m_request.binPath);
    if (!m_request.testMode && !bin.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Fail(tr("Cannot create the image %1: %2").arg(m_request.binPath, bin.errorString()));
        Finish(false);
        return;
    }
    auto sink = [&](const char* data, qint64 size) {
        if (m_request.testMode)
            return true;
        if (bin.write(data, size) != size) {
            Fail(tr("Cannot write the image %1: %2").arg(m_request.binPath, bin.errorString()));
            return false;
        }
        return true;
    };
    std::vector<CueTrack> layout;
    bool ok = true;
    for (int i = 0; ok && i < int(m_request.paths.size()); ++i) {
        m_progress.currentTrack = i + 2;
        CueTrack track;
        if (i > 0) {
            track.pauseBefore = m_request.pauseSectors;
            ok = Silence(track.pauseBefore, sink);
        }
        qint64 bytes = 0;
        ok = ok && DecodeTrack(i, sink, &bytes);
        track.sectors = bytes / CdAudio::kSectorBytes;
        if (size_t(i) < m_request.cdText.tracks.size()) {
            track.title = m_request.cdText.tracks[i].title;
            track.performer = m_request.cdText.tracks[i].performer;
        }
        layout.push_back(track);
    }
    if (m_request.testMode) {
        Finish(ok, tr("Test write finished"));
        return;
    }
    if (ok && !bin.flush()) {
        Fail(tr("Cannot write the image %1: %2").arg(m_request.binPath, bin.errorString()));
        ok = false;
    }
    bin.close();
    if (ok && !abortRequested()) {
        QFile cue(m_request.cuePath);
        const QByteArray text = BuildCueSheet(FileNameFromPath(m_request.binPath), layout, m_request.cdText.disc.title,
                                           m_request.cdText.disc.performer)
                                 .toUtf8();
        if (!cue.open(QIODevice::WriteOnly | QIODevice::Truncate) || cue.write(text) != text.size() || !cue.flush()) {
            Fail(tr("Cannot write the cue sheet %1: %2").arg(m_request.cuePath, cue.errorString()));
            ok = false;
        }
        cue.close();
    }
    if (!ok || abortRequested()) {
        QFile::remove(m_request.binPath);
        QFile::remove(m_request.cuePath);
        Finish(false);
        return;
    }
    Finish(true, tr("Image written: %1 and %2")
                     .arg(QDir::toNativeSeparators(m_request.binPath), QDir::toNativeSeparators(m_request.cuePath)));
}
