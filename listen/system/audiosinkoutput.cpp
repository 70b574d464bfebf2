#include "listen/system/audiosinkoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

AudioSinkOutput::AudioSinkOutput(QObject* parent) : QObject(parent)
{
    m_drainTimer = new QTimer(this);
    m_drainTimer->setInterval(20);
    connect(m_drainTimer, &QTimer::timeout, this, &AudioSinkOutput::drain);
}

AudioSinkOutput::~AudioSinkOutput()
{
    Stop();
}

bool AudioSinkOutput::Start(int sampleRate, int channels, QString& problem)
{
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        problem = QCoreApplication::translate("AudioSinkOutput",
                                              "No audio output device: the recording cannot be heard here");
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        problem =
            QCoreApplication::translate("AudioSinkOutput", "The audio output device cannot play %1 Hz, %2 channel(s)")
                .arg(sampleRate)
                .arg(channels);
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->setVolume(m_volume);
    m_device = m_sink->start();
    if (!m_device || m_sink->error() != QAudio::NoError) {
        problem = QCoreApplication::translate("AudioSinkOutput", "The audio output device could not be opened");
        m_sink.reset();
        m_device = nullptr;
        return false;
    }
    connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (!m_sink || state != QAudio::StoppedState)
            return;
        const QAudio::Error error = m_sink->error();
        if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError) {
            QMetaObject::invokeMethod(this, [this] {
                Stop();
                emit Failed(QCoreApplication::translate("AudioSinkOutput", "The audio output device stopped working"));
            }, Qt::QueuedConnection);
        }
    });
    m_frameBytes = 2 * channels;
    m_pendingLimit = static_cast<qsizetype>(sampleRate) * m_frameBytes * 2;
    m_drainTimer->start();
    return true;
}

void AudioSinkOutput::Write(const char* pcm, qsizetype bytes)
{
    if (!m_device || bytes <= 0)
        return;
    m_pending.append(pcm, bytes);
    if (m_pending.size() > m_pendingLimit) {
        qsizetype excess = m_pending.size() - m_pendingLimit;
        excess -= excess % m_frameBytes;
        m_pending.remove(0, excess);
    }
    drain();
}

void AudioSinkOutput::drain()
{
    if (!m_device || !m_sink || m_pending.isEmpty())
        return;
    qsizetype room = m_sink->bytesFree();
    room = qMin(room, m_pending.size());
    room -= room % m_frameBytes;
    if (room <= 0)
        return;
    const qint64 written = m_device->write(m_pending.constData(), room);
    if (written > 0)
        m_pending.remove(0, static_cast<qsizetype>(written));
}

void AudioSinkOutput::SetVolume(double linear)
{
    m_volume = qBound(0.0, linear, 1.0);
    if (m_sink)
        m_sink->setVolume(m_volume);
}

void AudioSinkOutput::Stop()
{
    m_drainTimer->stop();
    m_pending.clear();
    m_device = nullptr;
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
}

void AudioSinkOutput::OnFailure(FailureHandler handler)
{
    connect(this, &AudioSinkOutput::Failed, this, std::move(handler));
}
