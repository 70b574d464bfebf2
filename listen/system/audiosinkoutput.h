#pragma once

#include "listen/pcmoutput.h"

#include <QObject>
#include <memory>

class QAudioSink;
class QIODevice;
class QTimer;

// The default audio output of the system through QAudioSink, fed in push
// mode. Sound that the device cannot take yet waits in a queue of at most
// about two seconds; older sound is dropped beyond that.
class AudioSinkOutput : public QObject, public IPcmOutput {
    Q_OBJECT
public:
    explicit AudioSinkOutput(QObject* parent = nullptr);
    ~AudioSinkOutput() override;

    bool Start(int sampleRate, int channels, QString& problem) override;
    void Write(const char* pcm, qsizetype bytes) override;
    void SetVolume(double linear) override;
    void Stop() override;
    void OnFailure(FailureHandler handler) override;

signals:
    // The device failed while playing; output has stopped.
    void Failed(const QString& problem);

private:
    void drain();

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_device = nullptr;
    QTimer* m_drainTimer = nullptr;
    QByteArray m_pending;
    qsizetype m_pendingLimit = 0;
    int m_frameBytes = 4;
    double m_volume = 1.0;
};
