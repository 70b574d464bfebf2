#pragma once

#include "cdcreator/writejob.h"

#include <QString>

#include <memory>
#include <vector>

// Real CD writers, as the recorder needs them. One drive is selected at a time.
class IDriveAccess {
public:
    struct Drive {
        QString name;    // "vendor product"
        QString address; // system address, such as /dev/sr0
    };
    struct Disc {
        int state = 0; // 0 none, 1 blank, 2 appendable, 3 closed
        qint64 capacityBytes = 0;
        qint64 usedBytes = 0;
    };

    virtual ~IDriveAccess() = default;
    virtual bool Initialize(QString* error) = 0;
    // Looks for drives; returns quickly when there are none. Initialize and
    // Scan may run on a thread of their own; nothing else is called until
    // the scan has returned.
    virtual std::vector<Drive> Scan() = 0;
    // Asks a running Scan, from another thread, to return as soon as it can.
    virtual void CancelScan() {}
    // Takes the drive at `index` of the last scan (-1 releases the current one).
    virtual bool Select(int index, QString* error) = 0;
    virtual std::vector<int> WriteSpeeds() = 0; // speed factors, fastest first
    virtual Disc ReadDisc() = 0;
    virtual bool UnderrunProtection() = 0;
    // A job that writes the request to the selected drive.
    virtual std::unique_ptr<WriteJob> CreateWriteJob(const WriteRequest& request, WriteProgress& progress) = 0;
};
