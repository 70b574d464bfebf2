// A side-by-side run's titles in the history, the wished songs its watched
// stations catch, and the last minutes it keeps of every station.
#include "app/sidebysidestation.h"
#include "config/usersettings.h"
#include "platform/usersignal.h"

#include <QFile>
#include <algorithm>

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
    m_catches.Follow(id, recorder, [this](int id, const WishCatches::Caught& caught) { watchCaught(id, caught); });
}

void SideBySideRun::watchCaught(int id, const WishCatches::Caught& caught)
{
    const auto station = std::find_if(m_stations.begin(), m_stations.end(), [id](const auto& s) { return s->id == id; });
    if (station == m_stations.end())
        return;
    HeadlessConsole& console = (*station)->console;
    if (caught.firstBy)
        console.showStatus(tr("%1 is caught on %2 already").arg(caught.title, m_set.Title(caught.firstBy)));
    else if (NotifySongs())
        console.showStatus(tr("Caught on %1: %2").arg(m_set.Title(id), caught.title));
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
