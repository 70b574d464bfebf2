// A side-by-side run's titles in the history, the wished songs its watched
// stations catch, and the last minutes it keeps of every station.
#include "app/sidebysidestation.h"
#include "config/usersettings.h"
#include "platform/usersignal.h"

#include <QFile>

void SideBySideRun::followPlays(Station& station, frmMP3& recorder)
{
    const int id = station.id;
    PlayTracker::Setup setup = PlayTracker::SetupFor(recorder, [this, id] { return m_set.Title(id); });
    if (station.watched) {
        // A watched station's titles are heard, not skipped: each plays from
        // title to title, and only a caught one has a file.
        setup.filePerSong = [] { return false; };
        setup.openFile = [] { return QString(); };
    }
    station.plays = std::make_unique<PlayTracker>(*m_history, std::move(setup));
    station.plays->Attach(recorder);
    if (!station.watched)
        return;
    Station* s = &station;
    // A watched station writes nothing but wished songs: every file it opens is one.
    connect(&recorder, &frmMP3::songEvent, this, [this, s, &recorder](const SongEvent& e) {
        if (e.kind == SongEvent::Kind::Opened)
            watchCaught(*s, recorder.RecordingPath(), e.song);
    });
    connect(&recorder, &frmMP3::fileClosed, this, [this, s](const QString& path) { watchClosed(*s, path); });
}

void SideBySideRun::watchCaught(Station& station, const QString& file, const QString& song)
{
    station.caughtFile = file;
    station.caughtTitle = PlayTracker::TitleOfName(song);
    const auto it = m_catching.constFind(station.caughtTitle);
    station.duplicate = it != m_catching.cend() && *it != station.id;
    if (station.duplicate) {
        station.console.showStatus(tr("%1 is caught on %2 already").arg(station.caughtTitle, m_set.Title(*it)));
        return;
    }
    m_catching.insert(station.caughtTitle, station.id);
    if (NotifySongs())
        station.console.showStatus(tr("Caught on %1: %2").arg(m_set.Title(station.id), station.caughtTitle));
}

void SideBySideRun::watchClosed(Station& station, const QString& path)
{
    if (station.caughtFile.isEmpty())
        return;
    // The same title, caught on another station first, is kept once.
    if (station.duplicate && !path.isEmpty())
        QFile::remove(path);
    if (!station.duplicate && m_catching.value(station.caughtTitle) == station.id)
        m_catching.remove(station.caughtTitle);
    station.caughtFile.clear();
    station.caughtTitle.clear();
    station.duplicate = false;
}

void SideBySideRun::InstallSaveSignalHandler()
{
    OnUserSignal(this, [this] { SaveLastMinutes(); });
}

QStringList SideBySideRun::SaveLastMinutes()
{
    QStringList saved;
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& station : m_stations) {
        const frmMP3* recorder = m_set.Recorder(station->id);
        if (!recorder || station->keeping.Kept().KeptUnits() == 0)
            continue;
        const int minutes = int(station->keeping.Kept().KeepMs() / 60000);
        QString problem;
        const QString path =
            station->keeping.Kept().Save(recorder->Config().sMP3Path, m_set.Title(station->id), now, minutes, &problem);
        if (path.isEmpty()) {
            station->console.showStatus(tr("The last minutes could not be saved: %1").arg(problem));
            continue;
        }
        station->console.showStatus(tr("Saved the last minutes: %1").arg(path));
        saved << path;
    }
    return saved;
}
