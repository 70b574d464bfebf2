#include "cdcreator/discrecordobj.h"

#include "cdcreator/audiodecoder.h"
#include "cdcreator/cdimage.h"
#include "cdcreator/timetext.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

IDriveAccess::Disc ImageDisc()
{
    IDriveAccess::Disc disc;
    disc.state = IDiscRecorder::kEmptyDisc;
    disc.capacityBytes = CdAudio::kDiscSectors * CdAudio::kSectorBytes;
    disc.usedBytes = 0;
    return disc;
}

qint32 Clamp32(qint64 value)
{
    return qint32(std::clamp<qint64>(value, 0, std::numeric_limits<qint32>::max()));
}

} // namespace

DiscRecordObj::DiscRecordObj(std::unique_ptr<IDriveAccess> drives, QObject* parent)
    : IDiscRecorder(parent), m_drives(std::move(drives)), m_disc(ImageDisc())
{
    m_probePool.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
}

DiscRecordObj::~DiscRecordObj()
{
    // Workers still running post to this object; they are finished first.
    m_probePool.clear();
    m_probePool.waitForDone();
    if (m_scanThread) {
        m_drives->CancelScan();
        m_scanThread->wait();
    }
    // A write still running is stopped; the job removes what it wrote.
    if (m_job) {
        m_job->disconnect(this);
        m_job->RequestAbort();
        m_job->wait();
    }
}

QString DiscRecordObj::ImageFolder()
{
    const QString forced = qEnvironmentVariable("DISCWRIGHT_IMAGE_DIR");
    if (!forced.isEmpty())
        return QDir::cleanPath(forced);
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty())
        music = QDir::homePath();
    return QDir(music).filePath(QStringLiteral("Discwright"));
}

void DiscRecordObj::InitRecorder()
{
    // One scan for the life of the object: it may take seconds, and the
    // drive access is not touched again until it has answered.
    if (!m_drives || m_scanThread)
        return;
    m_scanning = true;
    IDriveAccess* drives = m_drives.get();
    m_scanThread.reset(QThread::create([this, drives] {
        QString error;
        const bool ready = drives->Initialize(&error);
        std::vector<IDriveAccess::Drive> found;
        if (ready)
            found = drives->Scan();
        QMetaObject::invokeMethod(
            this, [this, ready, error, found] { OnScanned(ready, error, found); }, Qt::QueuedConnection);
    }));
    m_scanThread->start();
}

void DiscRecordObj::OnScanned(bool ready, const QString& error, const std::vector<IDriveAccess::Drive>& found)
{
    // The scan thread ends on its own right after posting this; the
    // destructor joins it.
    m_scanning = false;
    m_drivesReady = ready;
    if (!ready) {
        emit StatusMessage(tr("CD writers are not available: %1").arg(error), kCodeDevice, kWarning);
        return;
    }
    m_driveList = found;
    if (m_listAsked) {
        for (const IDriveAccess::Drive& drive : m_driveList)
            emit DeviceFound(drive.name, drive.address);
    }
}

void DiscRecordObj::ListDevices()
{
    if (m_scanning) {
        m_listAsked = true;
        return;
    }
    for (const IDriveAccess::Drive& drive : m_driveList)
        emit DeviceFound(drive.name, drive.address);
}

int DiscRecordObj::DeviceCapability(int what)
{
    if (what != kCapabilityUnderrun || m_deviceIndex < 0 || !m_drivesReady)
        return 0;
    return m_drives->UnderrunProtection() ? kUnderrunProtected : 0;
}

bool DiscRecordObj::setDeviceIndex(int index)
{
    if (m_job)
        return false;
    if (index < -1 || index >= int(m_driveList.size()))
        return false;
    m_deviceIndex = index;
    if (index == -1) {
        if (m_drivesReady)
            m_drives->Select(-1, nullptr);
        m_disc = ImageDisc();
        return true;
    }
    m_disc = IDriveAccess::Disc{};
    QString error;
    if (!m_drives->Select(index, &error)) {
        emit StatusMessage(tr("Cannot use %1: %2").arg(m_driveList[index].name, error), kCodeDevice, kWarning);
        return false;
    }
    return true;
}

bool DiscRecordObj::RefreshDevice()
{
    if (m_job)
        return false;
    std::vector<int> speeds;
    if (m_deviceIndex < 0) {
        speeds = ImageSpeeds();
        m_disc = ImageDisc();
    } else if (m_drivesReady) {
        speeds = m_drives->WriteSpeeds();
        m_disc = m_drives->ReadDisc();
    }
    for (int speed : speeds)
        emit SpeedFound(speed, QStringLiteral("%1x").arg(speed));
    emit DiscStatusChanged();
    return true;
}

qint32 DiscRecordObj::DiscCapacity() const
{
    return Clamp32(m_disc.capacityBytes);
}

qint32 DiscRecordObj::DiscUsed() const
{
    return Clamp32(m_disc.usedBytes);
}

double DiscRecordObj::DiscTimeLeft() const
{
    qint64 free = 0;
    if (m_disc.state == kEmptyDisc)
        free = m_disc.capacityBytes;
    else if (m_disc.state == kOpenDisc)
        free = m_disc.capacityBytes - m_disc.usedBytes;
    return double(std::max<qint64>(0, free)) / CdAudio::kBytesPerSecond;
}

void DiscRecordObj::AddTrack(const QString& path)
{
    const QString name = FileNameFromPath(path);
    if (int(m_tracks.size()) + pendingTracks() >= CdAudio::kMaxTracks) {
        emit StatusMessage(tr("Cannot add %1: an audio CD holds at most %2 tracks").arg(name).arg(CdAudio::kMaxTracks),
                           kCodeTrack, kError);
        return;
    }
    const quint64 ticket = m_nextProbe++;
    m_probePool.start([this, path, ticket] {
        Probed result;
        result.track.path = path;
        result.track.seconds = AudioDecoder::Probe(path, &result.error, &result.track.tags);
        if (result.track.seconds >= 0) {
            result.error.clear();
            // Cleaned here, where the time it may take does not hold the window.
            TrackTags& tags = result.track.tags;
            for (QString* field : {&tags.title, &tags.artist, &tags.album, &tags.albumArtist})
                *field = CdText::Clean(*field);
            if (tags.title.isEmpty())
                tags.title = CdText::TitleFromPath(path);
        }
        else if (result.error.isEmpty())
            result.error = tr("it cannot be read");
        QMetaObject::invokeMethod(this, [this, ticket, result] { OnProbed(ticket, result); }, Qt::QueuedConnection);
    });
}

void DiscRecordObj::OnProbed(quint64 ticket, const Probed& result)
{
    m_probed.emplace(ticket, result);
    // Each file in turn; a handler may open a dialog and come back here
    // before this loop goes on, so the entry is taken before it is told.
    for (auto next = m_probed.find(m_nextDelivery); next != m_probed.end(); next = m_probed.find(m_nextDelivery)) {
        const Probed probed = std::move(next->second);
        m_probed.erase(next);
        ++m_nextDelivery;
        if (!probed.error.isEmpty()) {
            emit StatusMessage(tr("Cannot add %1: %2").arg(FileNameFromPath(probed.track.path), probed.error),
                               kCodeTrack, kError);
            continue;
        }
        m_tracks.push_back(probed.track);
        emit TracksChanged();
    }
}

void DiscRecordObj::RemoveTrack(int index)
{
    if (index >= 0 && index < int(m_tracks.size()))
        m_tracks.erase(m_tracks.begin() + index);
}

void DiscRecordObj::ListTracks()
{
    // A copy, so a handler that changes the queue does not upset the loop.
    const std::vector<Track> tracks = m_tracks;
    for (int i = 0; i < int(tracks.size()); ++i)
        emit TrackListed(i, tracks[i].path, tracks[i].seconds);
}

double DiscRecordObj::QueueSeconds() const
{
    double total = 0;
    for (const Track& track : m_tracks)
        total += track.seconds;
    return total;
}

double DiscRecordObj::TimeWritten() const
{
    return m_progress.bytesWritten / CdAudio::kBytesPerSecond;
}

double DiscRecordObj::TimeTotal() const
{
    return m_progress.totalBytes / CdAudio::kBytesPerSecond;
}

double DiscRecordObj::ElapsedTime() const
{
    if (m_job && m_clock.isValid())
        return m_clock.elapsed() / 1000.0;
    return m_finalElapsed;
}

bool DiscRecordObj::PrepareImagePaths(WriteRequest& request)
{
    const QString folder = ImageFolder();
    if (!QDir().mkpath(folder)) {
        emit StatusMessage(tr("Cannot create the image folder %1").arg(folder), kCodeWrite, kError);
        return false;
    }
    const QDir dir(folder);
    const QString stem = QStringLiteral("Discwright-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString base = stem;
    for (int n = 2; QFileInfo::exists(dir.filePath(base + QStringLiteral(".bin"))) ||
                    QFileInfo::exists(dir.filePath(base + QStringLiteral(".cue")));
         ++n)
        base = stem + QStringLiteral("-%1").arg(n);
    request.binPath = dir.filePath(base + QStringLiteral(".bin"));
    request.cuePath = dir.filePath(base + QStringLiteral(".cue"));
    return true;
}

void DiscRecordObj::StartWrite()
{
    if (m_job) {
        emit StatusMessage(tr("A write is already running"), kCodeBusy, kError);
        return;
    }
    if (pendingTracks() > 0) {
        emit StatusMessage(
            tr("%1 added file(s) are still being read; start again when they are listed").arg(pendingTracks()),
            kCodeBusy, kError);
        return;
    }
    if (m_tracks.empty()) {
        emit StatusMessage(tr("There are no tracks in the queue"), kCodeQueue, kError);
        return;
    }
    if (!QueuedFilesReadable())
        return;
    if (m_deviceIndex >= 0 && (!m_drivesReady || m_disc.state == kNoDisc || m_disc.state == kClosedDisc)) {
        emit StatusMessage(tr("There is no writable disc in the drive"), kCodeDevice, kError);
        return;
    }
    WriteRequest request;
    std::vector<TrackTags> tags;
    for (const Track& track : m_tracks) {
        request.paths.push_back(track.path);
        request.estimatedSeconds.push_back(track.seconds);
        tags.push_back(track.tags);
    }
    request.cdText = CdText::Build(tags, request.paths);
    request.pauseSectors = CdAudio::PauseSectors(m_pauseSeconds);
    request.testMode = m_testMode;
    request.speed = m_writeSpeed > 0 ? m_writeSpeed : ImageSpeeds().front();
    request.finalizeDisc = m_finalize;
    request.writeMethod = m_writeMethod;

    const double total = WriteJob::EstimatedTotalBytes(request);
    if (total / CdAudio::kBytesPerSecond > DiscTimeLeft() + 0.5) {
        emit StatusMessage(
            tr("The queue (%1) does not fit on the disc (%2 left)")
                .arg(SecondsToText(float(total / CdAudio::kBytesPerSecond)), SecondsToText(float(DiscTimeLeft()))),
            kCodeQueue, kError);
        return;
    }

    if (m_deviceIndex < 0) {
        if (!request.testMode && !PrepareImagePaths(request))
            return;
    }
    m_progress.totalBytes = total;
    m_progress.bytesWritten = 0;
    m_progress.currentTrack = 1;
    m_finalElapsed = 0;

    if (m_deviceIndex < 0)
        m_job = std::make_unique<ImageWriteJob>(request, m_progress);
    else
        m_job = m_drives->CreateWriteJob(request, m_progress);
    if (!m_job) {
        emit StatusMessage(tr("The drive cannot write"), kCodeDevice, kError);
        return;
    }
    connect(m_job.get(), &QThread::finished, this, &DiscRecordObj::OnJobFinished, Qt::QueuedConnection);
    connect(m_job.get(), &WriteJob::Notice, this,
            [this](const QString& text) { emit StatusMessage(text, kCodeDevice, kWarning); }, Qt::QueuedConnection);
    m_clock.start();
    m_job->start();
    if (m_deviceIndex < 0 && !request.testMode)
        emit StatusMessage(tr("Writing image to %1").arg(QDir::toNativeSeparators(request.binPath)), 0, kInfo);
    else if (request.testMode)
        emit StatusMessage(tr("Test write at %1x").arg(request.speed), 0, kInfo);
    else
        emit StatusMessage(tr("Writing the disc at %1x").arg(request.speed), 0, kInfo);
}

// A queued file that went away or lost its permissions fails before
// anything is written, with its track named.
bool DiscRecordObj::QueuedFilesReadable()
{
    for (int i = 0; i < int(m_tracks.size()); ++i) {
        const QFileInfo file(m_tracks[i].path);
        if (file.isFile() && file.isReadable())
            continue;
        emit StatusMessage(tr("Track %1 (%2) cannot be read: %3")
                               .arg(i + 1)
                               .arg(FileNameFromPath(m_tracks[i].path),
                                    file.exists() ? tr("permission denied") : tr("the file is gone")),
                           kCodeTrack, kError);
        return false;
    }
    return true;
}

void DiscRecordObj::AbortWrite()
{
    if (m_job)
        m_job->RequestAbort();
}

void DiscRecordObj::OnJobFinished()
{
    if (!m_job || !m_job->isFinished())
        return;
    std::unique_ptr<WriteJob> job = std::move(m_job);
    m_finalElapsed = m_clock.elapsed() / 1000.0;
    if (job->succeeded()) {
        m_progress.totalBytes = m_progress.bytesWritten.load();
        if (m_deviceIndex < 0 && !job->request().testMode) {
            m_lastBin = job->request().binPath;
            m_lastCue = job->request().cuePath;
        }
    }
    emit WriteEnded();
    if (job->succeeded())
        emit StatusMessage(job->resultText(), 0, kInfo);
    else if (job->aborted())
        emit StatusMessage(tr("Write aborted"), kCodeWrite, kWarning);
    else
        emit StatusMessage(job->errorText(), kCodeWrite, kError);
    if (m_deviceIndex >= 0 && m_drivesReady) {
        m_disc = m_drives->ReadDisc();
        emit DiscStatusChanged();
    }
}
