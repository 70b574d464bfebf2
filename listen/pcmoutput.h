#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

// Where the listening player's decoded sound goes: signed 16-bit interleaved.
class IPcmOutput {
public:
    virtual ~IPcmOutput() = default;
    // Starts (or restarts) output in this format. False, with a reason in
    // `problem`, when nothing can play it (no audio device).
    virtual bool Start(int sampleRate, int channels, QString& problem) = 0;
    virtual void Write(const char* pcm, qsizetype bytes) = 0;
    // 0.0 (silent) to 1.0 (full).
    virtual void SetVolume(double linear) = 0;
    virtual void Stop() = 0;
    // Called when the device fails while playing (output has stopped).
    using FailureHandler = std::function<void(const QString& problem)>;
    virtual void OnFailure(FailureHandler) {}
};

// Takes the sound and counts it: for machines without audio and for tests.
class NullPcmOutput : public IPcmOutput {
public:
    bool Start(int sampleRate, int channels, QString&) override;
    void Write(const char* pcm, qsizetype bytes) override;
    void SetVolume(double linear) override { m_volume = linear; }
    void Stop() override { m_started = false; }

    bool started() const { return m_started; }
    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    double volume() const { return m_volume; }
    qint64 bytesWritten() const { return m_bytes; }
    qint64 framesWritten() const { return m_channels > 0 ? m_bytes / (2 * m_channels) : 0; }

private:
    bool m_started = false;
    int m_rate = 0;
    int m_channels = 0;
    double m_volume = 1.0;
    qint64 m_bytes = 0;
};
