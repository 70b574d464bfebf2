#pragma once

#include "cdcreator/discrecorder.h"
#include "cdcreator/driveaccess.h"
#include "cdcreator/writejob.h"

#include <QElapsedTimer>
#include <QThreadPool>

#include <map>
#include <memory>
#include <vector>

class QThread;

// The disc-recording component: the image device (index -1, an empty
// 80-minute disc written as a BIN/CUE image) and the CD writers that the
// drive access finds. The drive scan and the reading of queued files run on
// worker threads; their results arrive as queued events on the object's
// thread. Status message codes: 1 a file cannot be queued or read, 2 nothing
// or too much to write, 3 the write failed, 4 a device problem, 5 a write is
// already running or queued files are still being read.
class DiscRecordObj : public IDiscRecorder {
    Q_OBJECT
public:
    enum { kCodeTrack = 1, kCodeQueue = 2, kCodeWrite = 3, kCodeDevice = 4, kCodeBusy = 5 };

    // `drives` may be null: then only the image device exists.
    explicit DiscRecordObj(std::unique_ptr<IDriveAccess> drives, QObject* parent = nullptr);
    ~DiscRecordObj() override;

    // Where images go: $DISCWRIGHT_IMAGE_DIR, else "Discwright" in the user's
    // music folder.
    static QString ImageFolder();
    // Speeds offered for the image device.
    static std::vector<int> ImageSpeeds() { return {48, 32, 24, 16, 8, 4}; }

    void setAccessMode(int mode) override { m_accessMode = mode; }
    // Starts the drive scan on a thread of its own (once). ListDevices then
    // reports the writers at once when the scan has answered, else when it
    // answers.
    void InitRecorder() override;
    void ListDevices() override;
    int DeviceCapability(int what) override;
    bool setDeviceIndex(int index) override;
    int DeviceIndex() const override { return m_deviceIndex; }
    bool RefreshDevice() override;

    int DiscState() const override { return m_disc.state; }
    qint32 DiscCapacity() const override;
    qint32 DiscUsed() const override;
    double DiscTimeLeft() const override;

    void AddTrack(const QString& path) override;
    void RemoveTrack(int index) override;
    void ListTracks() override;
    double QueueSeconds() const override;

    void setTestMode(bool test) override { m_testMode = test; }
    void setWriteSpeed(int speed) override { m_writeSpeed = speed; }
    void setFinalizeDisc(bool finalize) override { m_finalize = finalize; }
    void setTrackPause(double seconds) override { m_pauseSeconds = seconds; }
    void setWriteMethod(int method) override { m_writeMethod = method; }
    void StartWrite() override;
    void AbortWrite() override;
    bool IsWriting() const override { return m_job != nullptr; }

    double TotalBytes() const override { return m_progress.totalBytes; }
    double BytesWritten() const override { return m_progress.bytesWritten; }
    qint32 CurrentTrack() const override { return m_progress.currentTrack; }
    double TimeWritten() const override;
    double TimeTotal() const override;
    double ElapsedTime() const override;

    // True from InitRecorder until the drive scan has answered.
    bool scanning() const { return m_scanning; }
    // Files added but not read yet.
    int pendingTracks() const { return int(m_nextProbe - m_nextDelivery); }

    // The files of the last image written ("" before the first).
    QString lastImagePath() const { return m_lastBin; }
    QString lastCuePath() const { return m_lastCue; }

private:
    struct Track {
        QString path;
        double seconds = 0;
        TrackTags tags;
    };
    struct Probed {
        Track track;
        QString error; // not empty when the file cannot be queued
    };
    void OnScanned(bool ready, const QString& error, const std::vector<IDriveAccess::Drive>& found);
    void OnProbed(quint64 ticket, const Probed& result);
    bool QueuedFilesReadable();
    void OnJobFinished();
    bool PrepareImagePaths(WriteRequest& request);

    std::unique_ptr<IDriveAccess> m_drives;
    std::unique_ptr<QThread> m_scanThread;
    bool m_scanning = false;
    bool m_listAsked = false; // ListDevices came while the scan ran
    bool m_drivesReady = false;
    std::vector<IDriveAccess::Drive> m_driveList;
    int m_deviceIndex = -1;
    int m_accessMode = 0;
    IDriveAccess::Disc m_disc;
    std::vector<Track> m_tracks;
    // Files are read in parallel and join the list in the order added.
    QThreadPool m_probePool;
    quint64 m_nextProbe = 0;
    quint64 m_nextDelivery = 0;
    std::map<quint64, Probed> m_probed;

    bool m_testMode = true;
    int m_writeSpeed = 0;
    bool m_finalize = true;
    double m_pauseSeconds = 2;
    int m_writeMethod = 0;

    WriteProgress m_progress;
    QElapsedTimer m_clock;
    double m_finalElapsed = 0;
    QString m_lastBin;
    QString m_lastCue;
    std::unique_ptr<WriteJob> m_job; // last member: stopped first
};
