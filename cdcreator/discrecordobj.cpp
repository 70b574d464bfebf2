#include "cdcreator/discrecordobj.h"

#include "cdcreator/audiodecoder.h"
#include "cdcreator/cdimage.h"
#include "cdcreator/timetext.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
}

DiscRecordObj::~DiscRecordObj()
{
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
    m_drivesReady = false;
    if (!m_drives)
        return;
    QString error;
    m_drivesReady = m_drives->Initialize(&error);
    if (!m_drivesReady)
        emit StatusMessage(QStringLiteral("CD writers are not available: %1").arg(error), kCodeDevice, kWarning);
}

void DiscRecordObj::ListDevices()
{
    m_driveList.clear();
    if (!m_drivesReady)
        return;
    m_driveList = m_drives->Scan();
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
        emit StatusMessage(QStringLiteral("Cannot use %1: %2").arg(m_driveList[index].name, error), kCodeDevice,
                           kWarning);
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
    if (int(m_tracks.size()) >= CdAudio::kMaxTracks) {
        emit StatusMessage(QStringLiteral("Cannot add %1: an audio CD holds at most %2 tracks")
                               .arg(name)
                               .arg(CdAudio::kMaxTracks),
                           kCodeTrack, kError);
        return;
    }
    QString error;
    const double seconds = AudioDecoder::Probe(path, &error);
    if (seconds < 0) {
        emit StatusMessage(QStringLiteral("Cannot add %1: %2").arg(name, error), kCodeTrack, kError);
        return;
    }
    m_tracks.push_back({path, seconds});
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
        emit StatusMessage(QStringLiteral("Cannot create the image folder %1").arg(folder), kCodeWrite, kError);
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
        emit StatusMessage(QStringLiteral("A write is already running"), kCodeBusy, kError);
        return;
    }
    if (m_tracks.empty()) {
        emit StatusMessage(QStringLiteral("There are no tracks in the queue"), kCodeQueue, kError);
        return;
    }
    if (m_deviceIndex >= 0 && (!m_drivesReady || m_disc.state == kNoDisc || m_disc.state == kClosedDisc)) {
        emit StatusMessage(QStringLiteral("There is no writable disc in the drive"), kCodeDevice, kError);
        return;
    }
    WriteRequest request;
    for (const Track& track : m_tracks) {
        request.paths.push_back(track.path);
        request.estimatedSeconds.push_back(track.seconds);
    }
    request.pauseSectors = CdAudio::PauseSectors(m_pauseSeconds);
    request.testMode = m_testMode;
    request.speed = m_writeSpeed > 0 ? m_writeSpeed : ImageSpeeds().front();
    request.finalizeDisc = m_finalize;
    request.writeMethod = m_writeMethod;

    const double total = WriteJob::EstimatedTotalBytes(request);
    if (total / CdAudio::kBytesPerSecond > DiscTimeLeft() + 0.5) {
        emit StatusMessage(QStringLiteral("The queue (%1) does not fit on the disc (%2 left)")
                               .arg(SecondsToText(float(total / CdAudio::kBytesPerSecond)),
                                    SecondsToText(float(DiscTimeLeft()))),
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
        emit StatusMessage(QStringLiteral("The drive cannot write"), kCodeDevice, kError);
        return;
    }
    connect(m_job.get(), &QThread::finished, this, &DiscRecordObj::OnJobFinished, Qt::QueuedConnection);
    m_clock.start();
    m_job->start();
    if (m_deviceIndex < 0 && !request.testMode)
        emit StatusMessage(QStringLiteral("Writing image to %1").arg(QDir::toNativeSeparators(request.binPath)), 0,
                           kInfo);
    else if (request.testMode)
        emit StatusMessage(QStringLiteral("Test write at %1x").arg(request.speed), 0, kInfo);
    else
        emit StatusMessage(QStringLiteral("Writing the disc at %1x").arg(request.speed), 0, kInfo);
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
        emit StatusMessage(QStringLiteral("Write aborted"), kCodeWrite, kWarning);
    else
        emit StatusMessage(job->errorText(), kCodeWrite, kError);
    if (m_deviceIndex >= 0 && m_drivesReady) {
        m_disc = m_drives->ReadDisc();
        emit DiscStatusChanged();
    }
}
