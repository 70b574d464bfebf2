#include "cdcreator/burndrives.h"

#include "cdcreator/cdimage.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTemporaryDir>

#include <libburn/libburn.h>

#include <algorithm>
#include <functional>

#include <cmath>

using namespace burn;

LibburnDrives::~LibburnDrives()
{
    Release();
    ForgetScan();
    if (m_ready)
        burn_finish();
}

bool LibburnDrives::Initialize(QString* error)
{
    if (m_ready)
        return true;
    if (!burn_initialize()) {
        if (error)
            *error = QCoreApplication::translate("LibburnDrives", "libburn could not be started");
        return false;
    }
    // Leave the program's signal handling alone, and keep libburn's own
    // messages to the ones that matter.
    burn_set_signal_handling(nullptr, nullptr, 1);
    burn_msgs_set_severities(const_cast<char*>("NEVER"), const_cast<char*>("FAILURE"),
                             const_cast<char*>("discwright: "));
    m_ready = true;
    return true;
}

void LibburnDrives::ForgetScan()
{
    if (m_infos) {
        burn_drive_info_free(m_infos);
        m_infos = nullptr;
    }
    m_count = 0;
}

std::vector<IDriveAccess::Drive> LibburnDrives::Scan()
{
    std::vector<Drive> drives;
    if (!m_ready)
        return drives;
    Release();
    ForgetScan();
    // The scan runs on libburn's own thread and must be asked until it
    // answers; giving up early would leave that thread running into
    // burn_finish(). Bounded to a few seconds.
    int rc = 0;
    for (int attempt = 0; attempt < 500; ++attempt) {
        rc = burn_drive_scan(&m_infos, &m_count);
        if (rc != 0)
            break;
        QThread::msleep(10);
    }
    if (rc <= 0) {
        m_infos = nullptr;
        m_count = 0;
        return drives;
    }
    for (unsigned i = 0; i < m_count; ++i) {
        const burn_drive_info& info = m_infos[i];
        Drive drive;
        drive.name = QStringLiteral("%1 %2").arg(QString::fromLatin1(info.vendor).trimmed(),
                                                QString::fromLatin1(info.product).trimmed());
        char address[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_get_adr(&m_infos[i], address) > 0)
            drive.address = QString::fromLocal8Bit(address);
        drives.push_back(drive);
    }
    return drives;
}

burn_drive* LibburnDrives::Current() const
{
    if (!m_grabbed || m_selected < 0 || unsigned(m_selected) >= m_count)
        return nullptr;
    return m_infos[m_selected].drive;
}

void LibburnDrives::Release()
{
    if (m_grabbed && m_selected >= 0 && unsigned(m_selected) < m_count)
        burn_drive_release(m_infos[m_selected].drive, 0);
    m_grabbed = false;
    m_selected = -1;
}

bool LibburnDrives::Select(int index, QString* error)
{
    Release();
    if (index < 0)
        return true;
    if (!m_ready || unsigned(index) >= m_count) {
        if (error)
            *error = QCoreApplication::translate("LibburnDrives", "no drive");
        return false;
    }
    if (burn_drive_grab(m_infos[index].drive, 1) != 1) {
        if (error)
            *error = QCoreApplication::translate("LibburnDrives", "the drive is busy or cannot be opened");
        return false;
    }
    m_selected = index;
    m_grabbed = true;
    return true;
}

std::vector<int> LibburnDrives::WriteSpeeds()
{
    std::vector<int> speeds;
    burn_drive* drive = Current();
    if (!drive)
        return speeds;
    burn_speed_descriptor* list = nullptr;
    if (burn_drive_get_speedlist(drive, &list) > 0) {
        for (burn_speed_descriptor* item = list; item; item = item->next) {
            const int speed = int(std::lround(item->write_speed / kKilobytesPerSpeed));
            if (speed > 0 && std::find(speeds.begin(), speeds.end(), speed) == speeds.end())
                speeds.push_back(speed);
        }
        burn_drive_free_speedlist(&list);
    }
    if (speeds.empty()) {
        const int fastest = int(std::lround(burn_drive_get_write_speed(drive) / kKilobytesPerSpeed));
        if (fastest > 0)
            speeds.push_back(fastest);
    }
    std::sort(speeds.begin(), speeds.end(), std::greater<int>());
    return speeds;
}

IDriveAccess::Disc LibburnDrives::ReadDisc()
{
    Disc disc;
    burn_drive* drive = Current();
    if (!drive)
        return disc;
    const qint64 free = qint64(burn_disc_available_space(drive, nullptr));
    switch (burn_disc_get_status(drive)) {
    case BURN_DISC_BLANK:
        disc.state = 1;
        disc.capacityBytes = free;
        break;
    case BURN_DISC_APPENDABLE: {
        disc.state = 2;
        int start = 0;
        int next = 0;
        if (burn_disc_track_lba_nwa(drive, nullptr, 0, &start, &next) > 0 && next > 0)
            disc.usedBytes = qint64(next) * 2048;
        disc.capacityBytes = disc.usedBytes + free;
        break;
    }
    case BURN_DISC_FULL: {
        disc.state = 3;
        struct burn_disc* content = burn_drive_get_disc(drive);
        if (content) {
            disc.usedBytes = qint64(burn_disc_get_sectors(content)) * CdAudio::kSectorBytes;
            burn_disc_free(content);
        }
        break;
    }
    default:
        disc.state = 0;
        break;
    }
    return disc;
}

bool LibburnDrives::UnderrunProtection()
{
    burn_drive* drive = Current();
    if (!drive)
        return false;
    burn_write_opts* opts = burn_write_opts_new(drive);
    if (!opts)
        return false;
    const bool capable = burn_write_opts_set_underrun_proof(opts, 1) == 1;
    burn_write_opts_free(opts);
    return capable;
}

std::unique_ptr<WriteJob> LibburnDrives::CreateWriteJob(const WriteRequest& request, WriteProgress& progress)
{
    burn_drive* drive = Current();
    if (!drive)
        return nullptr;
    return std::make_unique<BurnWriteJob>(request, progress, drive);
}

bool AttachCdText(burn_session* session, const std::vector<burn_track*>& tracks, const CdTextSet& text,
                  QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!session || tracks.size() != text.tracks.size())
        return fail(QCoreApplication::translate("LibburnDrives", "the text does not match the tracks"));
    int charCodes[8] = {0x01, -1, -1, -1, -1, -1, -1, -1}; // 7-bit ASCII
    int copyrights[8] = {0x00, -1, -1, -1, -1, -1, -1, -1};
    int languages[8] = {0x09, -1, -1, -1, -1, -1, -1, -1}; // English
    if (burn_session_set_cdtext_par(session, charCodes, copyrights, languages, 0) <= 0)
        return fail(QCoreApplication::translate("LibburnDrives", "the text block cannot be set up"));
    // Every track carries each kind the disc carries, empty or not.
    auto put = [](auto set, auto* target, const char* kind, const QString& value) {
        QByteArray bytes = value.toLatin1();
        bytes.append('\0');
        return set(target, 0, 0, const_cast<char*>(kind), reinterpret_cast<unsigned char*>(bytes.data()),
                   int(bytes.size()), 0) > 0;
    };
    for (const char* kind : {"TITLE", "PERFORMER"}) {
        const bool title = kind[0] == 'T';
        if (!put(burn_session_set_cdtext, session, kind, title ? text.disc.title : text.disc.performer))
            return fail(QCoreApplication::translate("LibburnDrives", "libburn refused the disc's %1")
                            .arg(QString::fromLatin1(kind).toLower()));
        for (size_t i = 0; i < tracks.size(); ++i) {
            const CdTextEntry& entry = text.tracks[i];
            if (!put(burn_track_set_cdtext, tracks[i], kind, title ? entry.title : entry.performer))
                return fail(QCoreApplication::translate("LibburnDrives", "libburn refused the %1 of track %2")
                                .arg(QString::fromLatin1(kind).toLower())
                                .arg(i + 1));
        }
    }
    // libburn counts the packs, with the three that describe the block,
    // but leaves the limit of a block to its caller.
    const int packs = burn_cdtext_from_session(session, nullptr, nullptr, 1);
    if (packs <= 0 || packs > CdText::kMaxPacks + 3)
        return fail(QCoreApplication::translate("LibburnDrives", "the titles do not fit the disc's text area"));
    return true;
}

BurnWriteJob::BurnWriteJob(WriteRequest request, WriteProgress& progress, burn_drive* drive)
    : WriteJob(std::move(request), progress), m_drive(drive)
{
}

void BurnWriteJob::run()
{
    m_progress.currentTrack = 1;
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        Fail(QCoreApplication::translate("LibburnDrives", "Cannot make a temporary folder for the decoded audio"));
        Finish(false);
        return;
    }
    // Decoding first: a drive must be fed without pause once it writes.
    std::vector<QString> rawFiles;
    for (int i = 0; i < int(m_request.paths.size()); ++i) {
        const QString raw = scratch.filePath(QStringLiteral("track%1.raw").arg(i + 1));
        QFile out(raw);
        if (!out.open(QIODevice::WriteOnly)) {
            Fail(QCoreApplication::translate("LibburnDrives", "Cannot write %1: %2").arg(raw, out.errorString()));
            Finish(false);
            return;
        }
        auto sink = [&](const char* data, qint64 size) {
            if (out.write(data, size) == size)
                return true;
            Fail(QCoreApplication::translate("LibburnDrives", "Cannot write %1: %2").arg(raw, out.errorString()));
            return false;
        };
        qint64 bytes = 0;
        if (!DecodeTrack(i, sink, &bytes)) {
            Finish(false);
            return;
        }
        rawFiles.push_back(raw);
    }
    m_progress.bytesWritten = 0;
    Finish(Burn(rawFiles), m_request.testMode ? QCoreApplication::translate("LibburnDrives", "Test write finished")
                                              : QCoreApplication::translate("LibburnDrives", "The disc was written"));
}

bool BurnWriteJob::Burn(const std::vector<QString>& rawFiles)
{
    if (abortRequested())
        return false;
    burn_write_opts* opts = burn_write_opts_new(m_drive);
    burn_disc* disc = burn_disc_create();
    burn_session* session = burn_session_create();
    burn_disc_add_session(disc, session, BURN_POS_END);
    std::vector<burn_track*> tracks;
    std::vector<burn_source*> sources;
    bool ok = opts && disc && session;
    for (int i = 0; ok && i < int(rawFiles.size()); ++i) {
        burn_track* track = burn_track_create();
        burn_track_define_data(track, 0, 0, 1, BURN_AUDIO);
        if (i > 0 && m_request.pauseSectors > 0)
            burn_track_set_pregap_size(track, int(m_request.pauseSectors), 0);
        const QByteArray path = QFile::encodeName(rawFiles[i]);
        burn_source* source = burn_file_source_new(path.constData(), nullptr);
        ok = source && burn_track_set_source(track, source) == BURN_SOURCE_OK;
        burn_session_add_track(session, track, BURN_POS_END);
        tracks.push_back(track);
        if (source)
            sources.push_back(source);
    }
    char reasons[BURN_REASONS_LEN] = {};
    if (ok) {
        burn_write_opts_set_simulate(opts, m_request.testMode ? 1 : 0);
        burn_write_opts_set_underrun_proof(opts, 1);
        burn_write_opts_set_perform_opc(opts, 0);
        burn_write_opts_set_multi(opts, m_request.finalizeDisc ? 0 : 1);
        // Disc at once unless asked otherwise: only it writes exact pauses
        // and CD-TEXT.
        bool sao = m_request.writeMethod == 0 &&
                   burn_write_opts_set_write_type(opts, BURN_WRITE_SAO, BURN_BLOCK_SAO) > 0 &&
                   burn_precheck_write(opts, disc, reasons, 1) > 0;
        if (m_request.writeMethod == 0 && !sao)
            emit Notice(QCoreApplication::translate(
                "LibburnDrives", "The drive cannot write disc at once; writing track at once, without "
                                 "CD-TEXT and with the drive's own pauses"));
        if (!sao) {
            reasons[0] = '\0';
            if (burn_write_opts_set_write_type(opts, BURN_WRITE_TAO, BURN_BLOCK_RAW0) <= 0 ||
                burn_precheck_write(opts, disc, reasons, 1) <= 0) {
                Fail(QCoreApplication::translate("LibburnDrives", "The drive cannot write this disc: %1")
                         .arg(QString::fromLocal8Bit(reasons)));
                ok = false;
            }
        } else if (!m_request.cdText.empty()) {
            QString why;
            if (!AttachCdText(session, tracks, m_request.cdText, &why)) {
                burn_session_dispose_cdtext(session, 0);
                for (burn_track* track : tracks)
                    burn_track_dispose_cdtext(track, 0);
                emit Notice(
                    QCoreApplication::translate("LibburnDrives", "The disc is written without CD-TEXT: %1").arg(why));
            }
        }
    }
    if (ok) {
        burn_drive_set_speed(m_drive, 0, int(m_request.speed * LibburnDrives::kKilobytesPerSpeed));
        burn_disc_write(opts, disc);
        burn_progress progress{};
        const double total = m_progress.totalBytes;
        // Wait for the drive to start, then follow it until it is idle again.
        for (int i = 0; i < 200 && burn_drive_get_status(m_drive, nullptr) == BURN_DRIVE_SPAWNING; ++i)
            QThread::msleep(50);
        bool cancelled = false;
        while (burn_drive_get_status(m_drive, &progress) != BURN_DRIVE_IDLE) {
            if (abortRequested() && !cancelled) {
                burn_drive_cancel(m_drive);
                cancelled = true;
            }
            if (progress.sectors > 0)
                m_progress.bytesWritten = total * std::min(1.0, double(progress.sector) / progress.sectors);
            m_progress.currentTrack = progress.track + 2;
            QThread::msleep(100);
        }
        ok = burn_drive_wrote_well(m_drive) && !abortRequested();
        if (ok)
            m_progress.bytesWritten = total;
        else
            Fail(QCoreApplication::translate("LibburnDrives", "Writing the disc failed"));
    }
    for (burn_source* source : sources)
        burn_source_free(source);
    for (burn_track* track : tracks)
        burn_track_free(track);
    if (session)
        burn_session_free(session);
    if (disc)
        burn_disc_free(disc);
    if (opts)
        burn_write_opts_free(opts);
    return ok;
}
