#pragma once

#include "cdcreator/driveaccess.h"

// libburn declares its C interface inside namespace burn for C++.
namespace burn {
struct burn_drive_info;
struct burn_drive;
} // namespace burn

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
// a temporary file, then burns them with the pause as each track's pre-gap
// (simulated in test mode).
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
