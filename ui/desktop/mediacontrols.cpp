#include "ui/desktop/mediacontrols.h"

#include "ui/desktop/busname.h"
#include "ui/desktop/mprisadaptors.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>
#include <algorithm>
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

QString PlaybackStatus(const FilePlayback& f)
{
    if (!f.active)
        return QStringLiteral("Stopped");
    return f.paused ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString TrackId(const FilePlayback& f)
{
    return QStringLiteral("/io/github/tonquill/Tonquill/file/%1").arg(f.track);
}

QVariantMap Metadata(const FilePlayback& f)
{
    QVariantMap m;
    if (!f.active) {
        m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kNoTrack)));
        return m;
    }
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId(f))));
    m.insert(QStringLiteral("xesam:title"), CleanText(f.title));
    if (!f.artist.isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{CleanText(f.artist)});
    if (!f.station.isEmpty())
        m.insert(QStringLiteral("xesam:album"), CleanText(f.station));
    if (!f.path.isEmpty())
        m.insert(QStringLiteral("xesam:url"), QString::fromLatin1(QUrl::fromLocalFile(f.path).toEncoded()));
    if (f.lengthMs > 0)
        m.insert(QStringLiteral("mpris:length"), qlonglong(f.lengthMs) * 1000);
    return m;
}

QVariantMap PlayerProperties(const MediaState& s, const FilePlayback& f)
{
    QVariantMap p;
    p.insert(QStringLiteral("PlaybackStatus"), f.active ? PlaybackStatus(f) : PlaybackStatus(s));
    p.insert(QStringLiteral("Metadata"), f.active ? Metadata(f) : Metadata(s));
    p.insert(QStringLiteral("Volume"), (f.active ? f.volume : s.volume) / 100.0);
    p.insert(QStringLiteral("CanGoNext"), f.active);
    p.insert(QStringLiteral("CanGoPrevious"), f.active);
    p.insert(QStringLiteral("CanSeek"), f.active && f.lengthMs > 0);
    return p;
}

SeekPlan PlanSeek(const FilePlayback& f, qint64 offsetUs)
{
    if (!f.active || f.lengthMs <= 0)
        return {};
    // Whole milliseconds (the bus's microseconds cut towards zero); the
    // sums stay far from overflowing as the lengths are milliseconds.
    const qint64 offsetMs = offsetUs / 1000;
    if (offsetMs > f.lengthMs - f.positionMs)
        return {SeekPlan::Next, 0};
    return {SeekPlan::To, std::max<qint64>(0, f.positionMs + offsetMs)};
}

SeekPlan PlanSetPosition(const FilePlayback& f, const QString& trackId, qint64 positionUs)
{
    if (!f.active || f.lengthMs <= 0 || trackId != TrackId(f) || positionUs < 0 || positionUs / 1000 > f.lengthMs)
        return {};
    return {SeekPlan::To, positionUs / 1000};
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
    const QVariantMap before = mpris::PlayerProperties(m_state, m_file);
    m_state = state;
    showChanges(before);
}

void MediaControls::SetFilePlayback(const FilePlayback& playback, IFilePlaybackCommands* commands)
{
    const QVariantMap before = mpris::PlayerProperties(m_state, m_file);
    m_file = playback;
    m_fileCommands = commands;
    showChanges(before);
}

void MediaControls::showChanges(const QVariantMap& before)
{
    if (!m_registered)
        return;
    const QVariantMap after = mpris::PlayerProperties(m_state, m_file);
    QVariantMap changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (!changed.isEmpty())
        emitChanged(kPlayerInterface, changed);
}

void MediaControls::FileSeeked(qint64 ms)
{
    if (!m_registered || !m_file.active)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(mpris::kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
    signal << qlonglong(std::max<qint64>(0, ms)) * 1000;
    m_bus.send(signal);
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
    const FilePlayback& file = m_controls.File();
    return file.active ? mpris::PlaybackStatus(file) : mpris::PlaybackStatus(m_controls.State());
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    const FilePlayback& file = m_controls.File();
    return file.active ? mpris::Metadata(file) : mpris::Metadata(m_controls.State());
}

double MprisPlayerAdaptor::volume() const
{
    return (m_controls.File().active ? m_controls.File().volume : m_controls.State().volume) / 100.0;
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    if (IFilePlaybackCommands* file = m_controls.FileCommands())
        return file->SetVolume(mpris::VolumePercent(volume));
    m_controls.Commands().SetVolume(mpris::VolumePercent(volume));
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_controls.File().active ? qlonglong(m_controls.File().positionMs) * 1000 : 0;
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_controls.File().active;
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_controls.File().active && m_controls.File().lengthMs > 0;
}

void MprisPlayerAdaptor::act(mpris::Command command)
{
    // A file playing is driven instead of the recorder; it is active, so
    // there is nothing to start.
    if (IFilePlaybackCommands* file = m_controls.FileCommands()) {
        const bool paused = m_controls.File().paused;
        if (command == mpris::Command::Play ? paused : command == mpris::Command::Pause ? !paused : true)
            paused ? file->Resume() : file->Pause();
        return;
    }
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
    // Stop ends the file playing, never the recording beside it.
    if (IFilePlaybackCommands* file = m_controls.FileCommands())
        return file->Stop();
    m_controls.Commands().StopRecording();
}

void MprisPlayerAdaptor::Next()
{
    if (IFilePlaybackCommands* file = m_controls.FileCommands())
        file->Next();
}

void MprisPlayerAdaptor::Previous()
{
    if (IFilePlaybackCommands* file = m_controls.FileCommands())
        file->Previous();
}

void MprisPlayerAdaptor::seek(const mpris::SeekPlan& plan)
{
    IFilePlaybackCommands* file = m_controls.FileCommands();
    if (!file)
        return;
    if (plan.effect == mpris::SeekPlan::Next)
        file->Next();
    else if (plan.effect == mpris::SeekPlan::To)
        file->SeekTo(plan.ms);
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    seek(mpris::PlanSeek(m_controls.File(), offset));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong position)
{
    seek(mpris::PlanSetPosition(m_controls.File(), track.path(), position));
}
