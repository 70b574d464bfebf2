#include "ui/desktop/mediacontrols.h"

#include "ui/desktop/busname.h"
#include "ui/desktop/mprisadaptors.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>
#include <cmath>

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
} // namespace

namespace mpris {

QString PlaybackStatus(const MediaState& s)
{
    if (!s.recording && !s.listening)
        return QStringLiteral("Stopped");
    return s.paused ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString CleanText(const QString& text)
{
    // Lone surrogates come out of the conversion as U+FFFD already.
    QList<uint> points = text.toUcs4();
    for (uint& p : points) {
        if (QChar::category(char32_t(p)) == QChar::Other_Control)
            p = ' ';
        else if (p == 0xFFFE || p == 0xFFFF)
            p = QChar::ReplacementCharacter;
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
}

SongName SplitSongName(const QString& name)
{
    const qsizetype dash = name.indexOf(QLatin1String(" - "));
    if (dash < 0)
        return {QString(), name};
    return {name.left(dash), name.mid(dash + 3)};
}

QVariantMap Metadata(const MediaState& s)
{
    QVariantMap m;
    if (!s.recording) {
        m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kNoTrack)));
        return m;
    }
    m.insert(
        QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/io/github/tonquill/Tonquill/track/%1").arg(s.track))));
    const SongName song = SplitSongName(CleanText(s.title));
    m.insert(QStringLiteral("xesam:title"), song.title);
    if (!song.artist.isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{song.artist});
    if (!s.station.isEmpty())
        m.insert(QStringLiteral("xesam:album"), CleanText(s.station));
    if (!s.file.isEmpty())
        m.insert(QStringLiteral("xesam:url"), QString::fromLatin1(QUrl::fromLocalFile(s.file).toEncoded()));
    if (!s.artUrl.isEmpty())
        m.insert(QStringLiteral("mpris:artUrl"), QString::fromLatin1(QUrl::fromLocalFile(s.artUrl).toEncoded()));
    return m;
}

int VolumePercent(double volume)
{
    if (std::isnan(volume) || volume <= 0)
        return 0;
    if (volume >= 1)
        return 100;
    return static_cast<int>(std::lround(volume * 100));
}

QStringList ChangedPlayerProperties(const MediaState& before, const MediaState& after)
{
    QStringList names;
    if (PlaybackStatus(before) != PlaybackStatus(after))
        names << QStringLiteral("PlaybackStatus");
    if (Metadata(before) != Metadata(after))
        names << QStringLiteral("Metadata");
    if (before.volume != after.volume)
        names << QStringLiteral("Volume");
    return names;
}

Effect EffectOf(Command command, const MediaState& s)
{
    switch (command) {
    case Command::Play:
        if (!s.recording)
            return Effect::Start;
        return s.paused ? Effect::TogglePause : Effect::None;
    case Command::Pause:
        return s.recording && !s.paused ? Effect::TogglePause : Effect::None;
    case Command::PlayPause:
        return s.recording ? Effect::TogglePause : Effect::Start;
    }
    return Effect::None;
}

} // namespace mpris

MediaControls::MediaControls(IMediaCommands& commands, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_commands(commands), m_bus(std::move(bus))
{
    new MprisRootAdaptor(this, *this);
    new MprisPlayerAdaptor(this, *this);
}

MediaControls::~MediaControls()
{
    Unregister();
}

void MediaControls::Register()
{
    if (m_registered || !m_bus.isConnected())
        return;
    m_registered = m_bus.registerObject(mpris::kObjectPath, this, QDBusConnection::ExportAdaptors);
    if (m_registered)
        requestName(mpris::kServiceName, true);
}

void MediaControls::requestName(const QString& name, bool fallBack)
{
    RequestBusName(m_bus, name, this, [this, name, fallBack](bool owned) {
        if (!m_registered)
            return;
        if (owned) {
            m_serviceName = name;
            emit serviceRegistered(name);
        } else if (fallBack) {
            // Another Tonquill has the plain name.
            requestName(name + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid()),
                        false);
        }
    });
}

void MediaControls::Unregister()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_bus.unregisterObject(mpris::kObjectPath);
    if (!m_serviceName.isEmpty()) {
        ReleaseBusName(m_bus, m_serviceName);
        m_serviceName.clear();
    }
}

void MediaControls::SetState(const MediaState& state)
{
    const QStringList changed = mpris::ChangedPlayerProperties(m_state, state);
    m_state = state;
    if (changed.isEmpty() || !m_registered)
        return;
    QVariantMap values;
    for (const QString& name : changed) {
        if (name == QLatin1String("PlaybackStatus"))
            values.insert(name, mpris::PlaybackStatus(m_state));
        else if (name == QLatin1String("Metadata"))
            values.insert(name, mpris::Metadata(m_state));
        else
            values.insert(name, m_state.volume / 100.0);
    }
    emitChanged(kPlayerInterface, values);
}

void MediaControls::emitChanged(const QString& interface, const QVariantMap& changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        mpris::kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    m_bus.send(signal);
}

// ---- the adaptors

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MediaControls& controls)
    : QDBusAbstractAdaptor(object), m_controls(controls)
{
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Tonquill");
}

QString MprisRootAdaptor::desktopEntry() const
{
    // The menu entry's file name without ".desktop": the desktop shows its
    // name and icon with the controls.
    return QStringLiteral("io.github.tonquill.Tonquill");
}

void MprisRootAdaptor::Raise()
{
    m_controls.Commands().Raise();
}

void MprisRootAdaptor::Quit()
{
    m_controls.Commands().Quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, MediaControls& controls)
    : QDBusAbstractAdaptor(object), m_controls(controls)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return mpris::PlaybackStatus(m_controls.State());
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return mpris::Metadata(m_controls.State());
}

double MprisPlayerAdaptor::volume() const
{
    return m_controls.State().volume / 100.0;
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_controls.Commands().SetVolume(mpris::VolumePercent(volume));
}

void MprisPlayerAdaptor::act(mpris::Command command)
{
    switch (mpris::EffectOf(command, m_controls.State())) {
    case mpris::Effect::Start:
        m_controls.Commands().StartRecording();
        break;
    case mpris::Effect::TogglePause:
        m_controls.Commands().TogglePause();
        break;
    case mpris::Effect::None:
        break;
    }
}

void MprisPlayerAdaptor::Play()
{
    act(mpris::Command::Play);
}

void MprisPlayerAdaptor::Pause()
{
    act(mpris::Command::Pause);
}

void MprisPlayerAdaptor::PlayPause()
{
    act(mpris::Command::PlayPause);
}

void MprisPlayerAdaptor::Stop()
{
    m_controls.Commands().StopRecording();
}
