#pragma once

#include "cdcreator/driveaccess.h"

#include <condition_variable>
#include <mutex>

// A drive access whose scan first waits: for a set time, until Release(), or
// until the scan is cancelled, whichever comes first. It then scans the
// drives it wraps (none when it wraps nothing). For trying out, and timing,
// a window whose drives take their time to answer.
class DelayedScanDrives : public IDriveAccess {
public:
    DelayedScanDrives(std::unique_ptr<IDriveAccess> inner, int delayMs);

    // Ends the wait now (from any thread).
    void Release();

    bool Initialize(QString* error) override;
    std::vector<Drive> Scan() override;
    void CancelScan() override;
    bool Select(int index, QString* error) override;
    std::vector<int> WriteSpeeds() override;
    Disc ReadDisc() override;
    bool UnderrunProtection() override;
    std::unique_ptr<WriteJob> CreateWriteJob(const WriteRequest& request, WriteProgress& progress) override;

private:
    std::unique_ptr<IDriveAccess> m_inner;
    int m_delayMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_released = false;
    bool m_cancelled = false;
};
