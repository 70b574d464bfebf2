#pragma once

#include "cdcreator/burndialogs.h"
#include "cdcreator/discrecorder.h"

#include <QMap>
#include <QStringList>

#include <vector>

// A scripted recorder: devices, speeds and disc values set by the test, a
// queue whose play times come from a table, and a log of the calls made.
class FakeRecorder : public IDiscRecorder {
    Q_OBJECT
public:
    QStringList devices;
    QMap<int, std::vector<int>> speeds{{-1, {48, 24, 8}}};
    QMap<int, int> capability; // device index -> DeviceCapability(5)
    int discState = 1;
    qint32 capacity = 846720000;
    qint32 used = 0;
    double timeLeft = 4800;
    QMap<QString, double> playTimes; // path -> seconds; others are refused
    double total = 0, written = 0, timeWritten = 0, timeTotal = 0, elapsed = 0;
    qint32 track = 1;
    QStringList log;
    struct Track {
        QString path;
        double seconds;
    };
    std::vector<Track> tracks;
    int deviceIndex = -2;
    bool writing = false;

    void setAccessMode(int mode) override { log << QStringLiteral("access %1").arg(mode); }
    void InitRecorder() override { log << QStringLiteral("init"); }
    void ListDevices() override
    {
        log << QStringLiteral("list devices");
        for (const QString& d : devices)
            emit DeviceFound(d, QString());
    }
    int DeviceCapability(int what) override { return what == 5 ? capability.value(deviceIndex, 0) : 0; }
    bool setDeviceIndex(int index) override
    {
        log << QStringLiteral("device %1").arg(index);
        deviceIndex = index;
        return true;
    }
    int DeviceIndex() const override { return deviceIndex; }
    bool RefreshDevice() override
    {
        for (int s : speeds.value(deviceIndex))
            emit SpeedFound(s, QString());
        return true;
    }
    int DiscState() const override { return discState; }
    qint32 DiscCapacity() const override { return capacity; }
    qint32 DiscUsed() const override { return used; }
    double DiscTimeLeft() const override { return timeLeft; }
    void AddTrack(const QString& path) override
    {
        log << QStringLiteral("add ") + path;
        if (playTimes.contains(path))
            tracks.push_back({path, playTimes.value(path)});
        else
            emit StatusMessage(QStringLiteral("Cannot add ") + path, 1, 2);
    }
    void RemoveTrack(int index) override
    {
        log << QStringLiteral("remove %1").arg(index);
        if (index >= 0 && index < int(tracks.size()))
            tracks.erase(tracks.begin() + index);
    }
    void ListTracks() override
    {
        for (int i = 0; i < int(tracks.size()); ++i)
            emit TrackListed(i, tracks[i].path, tracks[i].seconds);
    }
    double QueueSeconds() const override
    {
        double sum = 0;
        for (const Track& t : tracks)
            sum += t.seconds;
        return sum;
    }
    void setTestMode(bool test) override { log << QStringLiteral("test %1").arg(test); }
    void setWriteSpeed(int speed) override { log << QStringLiteral("speed %1").arg(speed); }
    void setFinalizeDisc(bool f) override { log << QStringLiteral("finalize %1").arg(f); }
    void setTrackPause(double seconds) override { log << QStringLiteral("pause %1").arg(seconds); }
    void setWriteMethod(int m) override { log << QStringLiteral("method %1").arg(m); }
    void StartWrite() override { log << QStringLiteral("start"); }
    void AbortWrite() override { log << QStringLiteral("abort"); }
    bool IsWriting() const override { return writing; }
    double TotalBytes() const override { return total; }
    double BytesWritten() const override { return written; }
    qint32 CurrentTrack() const override { return track; }
    double TimeWritten() const override { return timeWritten; }
    double TimeTotal() const override { return timeTotal; }
    double ElapsedTime() const override { return elapsed; }

    using IDiscRecorder::DiscStatusChanged;
    using IDiscRecorder::StatusMessage;
    using IDiscRecorder::WriteEnded;
};

// Dialogs that record what they were asked and return scripted files.
class FakeDialogs : public IBurnDialogs {
public:
    QStringList informed, critical, filters;
    QStringList nextFiles;
    void Inform(const QString& text) override { informed << text; }
    void Critical(const QString& text) override { critical << text; }
    QStringList OpenFiles(const QString& filter) override
    {
        filters << filter;
        return nextFiles;
    }
};
