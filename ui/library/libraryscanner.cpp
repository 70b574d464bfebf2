#include "ui/library/libraryscanner.h"

#include "history/historystore.h"
#include "ui/library/librarydecode.h"
#include "ui/library/librarymodel.h"
#include "ui/library/librarytidy.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMetaObject>
#include <QSet>

namespace {

// The rows of the files the history names, newest play first; `folders`
// gets the folders they lie in.
QList<LibraryEntry> historyEntries(const QString& path, QSet<QString>* known, QStringList* folders)
{
    QList<LibraryEntry> entries;
    if (path.isEmpty() || !QFileInfo::exists(path))
        return entries;
    HistoryStore store(path);
    if (!store.Open())
        return entries;
    for (const Play& play : store.Plays()) {
        if (play.file.isEmpty())
            continue;
        const QFileInfo info(play.file);
        const QString file = info.absoluteFilePath();
        // A file moved to the trash is kept there by the history, not listed.
        if (known->contains(file) || !info.exists() || IsInTrash(file))
            continue;
        known->insert(file);
        const QString folder = info.absolutePath();
        if (!folders->contains(folder))
            folders->append(folder);
        LibraryEntry e;
        e.path = file;
        e.title = play.song.isEmpty() ? play.title : play.song;
        e.artist = play.artist;
        e.station = play.station;
        e.date = play.start;
        if (play.end.isValid() && play.start.isValid())
            e.lengthMs = play.start.msecsTo(play.end);
        e.size = info.size();
        e.format = LibraryFormatOf(file);
        e.state = play.state;
        e.known = true;
        e.problem = LibraryDecodeProblem(file);
        entries.append(e);
    }
    return entries;
}

} // namespace

LibraryScanner::LibraryScanner(LibraryModel& model, QObject* parent)
    : QObject(parent), m_model(model), m_historyJobs(std::make_shared<QThreadPool>())
{
    m_historyJobs->setMaxThreadCount(1);
}

LibraryScanner::~LibraryScanner()
{
    Stop();
    // What was asked of the history is written before the window goes.
    m_historyJobs->waitForDone();
}

void LibraryScanner::MoveInHistory(const QString& from, const QString& to)
{
    if (m_history.isEmpty() || from == to)
        return;
    ++m_moves;
    m_historyJobs->start([this, history = m_history, from, to] {
        QString why;
        if (QFileInfo::exists(history)) {
            HistoryStore store(history);
            if (!store.Open() || store.MoveFile(from, to) < 0)
                why = tr("The title history could not follow \"%1\": %2").arg(from, store.Error());
        }
        // The scanner waits for its jobs as it goes: it is there to be told.
        QMetaObject::invokeMethod(
            this,
            [this, why] {
                --m_moves;
                if (!why.isEmpty())
                    emit problem(why);
            },
            Qt::QueuedConnection);
    });
}

void LibraryScanner::SetSources(const QString& historyPath, const QStringList& folders)
{
    m_history = historyPath;
    m_folders = folders;
}

void LibraryScanner::Stop()
{
    if (!m_thread)
        return;
    m_cancel->store(true);
    ++m_generation;
    // The worker stops at its next file; its batches are dropped unread.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (m_model.Scanning())
        m_model.EndScan();
}

void LibraryScanner::Rescan()
{
    Stop();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const int generation = ++m_generation;
    m_model.BeginScan();
    // Delivered on this object's thread, dropped once a newer scan began.
    const auto deliver = [this, generation](QList<LibraryEntry> batch, bool last, QStringList walked) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, batch = std::move(batch), last, walked = std::move(walked)] {
                if (generation != m_generation)
                    return;
                if (!batch.isEmpty())
                    m_model.Add(batch);
                if (!last)
                    return;
                m_walked = walked;
                m_thread->wait();
                delete m_thread;
                m_thread = nullptr;
                m_model.EndScan();
                emit finished();
            },
            Qt::QueuedConnection);
    };
    m_thread =
        QThread::create([history = m_history, given = m_folders, cancel = m_cancel, deliver, jobs = m_historyJobs] {
            // The history as the library's own renames and trashings left it.
            jobs->waitForDone();
            QSet<QString> known;
            QStringList folders;
            QList<LibraryEntry> batch = historyEntries(history, &known, &folders);
            for (qsizetype i = 0; i < batch.size(); i += kBatch)
                deliver(batch.mid(i, kBatch), false, {});
            batch.clear();
            QStringList walk;
            for (const QString& f : given + folders) {
                const QString clean = QDir::cleanPath(QFileInfo(f).absoluteFilePath());
                if (!f.isEmpty() && QFileInfo(clean).isDir() && !walk.contains(clean))
                    walk.append(clean);
            }
            QSet<QString> seen;
            for (const QString& folder : walk) {
                QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
                while (it.hasNext() && !cancel->load()) {
                    const QString file = QFileInfo(it.next()).absoluteFilePath();
                    if (!IsLibraryAudioFile(file) || known.contains(file) || seen.contains(file))
                        continue;
                    seen.insert(file);
                    batch.append(ScannedEntry(file));
                    if (batch.size() >= kBatch) {
                        deliver(batch, false, {});
                        batch.clear();
                    }
                }
            }
            if (!cancel->load())
                deliver(batch, true, walk);
        });
    m_thread->start(QThread::LowPriority);
}
