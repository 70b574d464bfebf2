#pragma once

#include "cdcreator/driveaccess.h"

// libburn declares its C interface inside namespace burn for C++.
namespace burn {
struct burn_drive_info;
struct burn_drive;
struct burn_session;
struct burn_track;
} // namespace burn

// Gives the session and its tracks (one per track of `text`) their titles and
// performers as one ASCII CD-TEXT block in English. False with `error` set
// when libburn refuses them or cannot make packs of them.
bool AttachCdText(burn::burn_session* session, const std::vector<burn::burn_track*>& tracks, const CdTextSet& text,
                  QString* error);

// Real CD writers through libburn. Scanning finds the optical drives of the
// system; with none the list is simply empty. One drive is held (grabbed) at
// a time, from its selection until another is chosen or the object goes.
class LibburnDrives : public IDriveAccess {
public:
    LibburnDrives() = default;
    ~LibburnDrives() override;

    bool Initialize(QString* error) override;
    std::vector<Drive> Scan() override;
    bool Select(int index, QString* error) override;
    std::vector<int> WriteSpeeds() override;
    Disc ReadDisc() override;
    bool UnderrunProtection() override;
    std::unique_ptr<WriteJob> CreateWriteJob(const WriteRequest& request, WriteProgress& progress) override;

    // kB/s of one CD speed, as drives count it.
    static constexpr double kKilobytesPerSpeed = 176.4;

private:
    void Release();
    void ForgetScan();
    burn::burn_drive* Current() const;

    bool m_ready = false;
    burn::burn_drive_info* m_infos = nullptr;
    unsigned m_count = 0;
    int m_selected = -1;
    bool m_grabbed = false;
};

// Writes the queue to the drive as audio tracks: first decodes every track to
// a temporary file, then burns them disc at once with the pause as each
// track's pre-gap and the CD-TEXT in the lead-in (simulated in test mode).
// A drive without disc at once, or a request for track at once, writes track
// at once: without CD-TEXT, and with the drive's own gaps.
class BurnWriteJob : public WriteJob {
    Q_OBJECT
public:
    BurnWriteJob(WriteRequest request, WriteProgress& progress, burn::burn_drive* drive);

protected:
    void run() override;

private:
    bool Burn(const std::vector<QString>& rawFiles);
    burn::burn_drive* m_drive;
};
