#include "listen/system/mediafileplayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <algorithm>

MediaFilePlayer::MediaFilePlayer() : m_player(new QMediaPlayer(this)), m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 ms) {
        if (m_callbacks.positionChanged)
            m_callbacks.positionChanged(ms);
    });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 ms) {
        if (m_callbacks.durationChanged)
            m_callbacks.durationChanged(ms);
    });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState state) {
        setState(state == QMediaPlayer::PlayingState  ? State::Playing
                 : state == QMediaPlayer::PausedState ? State::Paused
                                                      : State::Stopped);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia && m_callbacks.finished)
            m_callbacks.finished();
        else if (status == QMediaPlayer::InvalidMedia)
            fail(m_player->errorString());
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error != QMediaPlayer::NoError)
            fail(text);
    });
}

MediaFilePlayer::~MediaFilePlayer()
{
    m_player->stop();
}

void MediaFilePlayer::Play(const QString& path)
{
    m_player->stop();
    // Without a device the player would wait for one, silent and without a
    // word: the user is told instead.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return fail(tr("No audio output device was found."));
    m_output->setDevice(device);
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}

void MediaFilePlayer::Pause()
{
    m_player->pause();
}

void MediaFilePlayer::Resume()
{
    m_player->play();
}

void MediaFilePlayer::Stop()
{
    m_player->stop();
}

void MediaFilePlayer::Seek(qint64 ms)
{
    m_player->setPosition(std::max<qint64>(0, ms));
}

void MediaFilePlayer::SetVolume(int percent)
{
    m_output->setVolume(float(std::clamp(percent, 0, 100)) / 100.0f);
}

void MediaFilePlayer::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_callbacks.stateChanged)
        m_callbacks.stateChanged(state);
}

void MediaFilePlayer::fail(const QString& text)
{
    if (m_callbacks.failed)
        m_callbacks.failed(text.isEmpty() ? tr("The file cannot be played.") : text);
}
