#pragma once

#include <QObject>
#include <QString>

// The disc-recording component as the burn window drives it: devices, the
// disc in the chosen drive, the track list, writing and its progress.
//
// SpeedFound and TrackListed are raised from within the calls that ask for
// them (RefreshDevice, ListTracks). DeviceFound is raised from within
// ListDevices for the writers already found; writers that a drive scan still
// running finds later are raised when it answers. AddTrack queues the file for
// reading and returns; TracksChanged tells when files were read into the
// track list, in the order they were added. Writing runs off the GUI thread
// after StartWrite returns; the window polls the progress properties and
// hears StatusMessage, WriteEnded and DiscStatusChanged.
class IDiscRecorder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Status message kinds.
    enum { kInfo = 0, kWarning = 1, kError = 2 };
    // DeviceCapability: the buffer-underrun protection query, and its answer
    // when the device offers it.
    enum { kCapabilityUnderrun = 5, kUnderrunProtected = 2 };
    // DiscState values.
    enum { kNoDisc = 0, kEmptyDisc = 1, kOpenDisc = 2, kClosedDisc = 3 };

    // How devices are reached; 0, the only value, is the platform's own access.
    virtual void setAccessMode(int mode) = 0;
    virtual void InitRecorder() = 0;
    virtual void ListDevices() = 0;
    virtual int DeviceCapability(int what) = 0;
    // -1 is the image device, 0.. the writers in the order ListDevices
    // reported them. False when the device cannot be selected.
    virtual bool setDeviceIndex(int index) = 0;
    virtual int DeviceIndex() const = 0;
    virtual bool RefreshDevice() = 0;

    virtual int DiscState() const = 0;
    virtual qint32 DiscCapacity() const = 0; // bytes
    virtual qint32 DiscUsed() const = 0;     // bytes
    virtual double DiscTimeLeft() const = 0; // seconds of audio

    virtual void AddTrack(const QString& path) = 0;
    virtual void RemoveTrack(int index) = 0;
    virtual void ListTracks() = 0;
    virtual double QueueSeconds() const = 0;

    virtual void setTestMode(bool test) = 0;
    virtual void setWriteSpeed(int speed) = 0;
    // Close the disc after the session so that every CD player reads it.
    virtual void setFinalizeDisc(bool finalize) = 0;
    virtual void setTrackPause(double seconds) = 0;
    // 0: the whole disc in one pass (session at once); 1: track at once.
    virtual void setWriteMethod(int method) = 0;
    virtual void StartWrite() = 0;
    virtual void AbortWrite() = 0;
    virtual bool IsWriting() const = 0;

    virtual double TotalBytes() const = 0;
    virtual double BytesWritten() const = 0;
    virtual qint32 CurrentTrack() const = 0;
    virtual double TimeWritten() const = 0;
    virtual double TimeTotal() const = 0;
    virtual double ElapsedTime() const = 0;

signals:
    void DeviceFound(const QString& name, const QString& address);
    void StatusMessage(const QString& text, int code, int kind);
    void SpeedFound(int speed, const QString& text);
    void WriteEnded();
    void TrackListed(int index, const QString& path, double seconds);
    void DiscStatusChanged();
    void TracksChanged();
};
