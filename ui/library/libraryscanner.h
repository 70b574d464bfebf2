#pragma once

// Fills a library model in the background: a worker thread reads the title
// history (its own connection) and walks the recording folders, and hands
// the rows over in batches; the model is only touched on its own thread.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <memory>

class LibraryModel;

class LibraryScanner : public QObject {
    Q_OBJECT
public:
    explicit LibraryScanner(LibraryModel& model, QObject* parent = nullptr);
    ~LibraryScanner() override;

    // The history file ("" for none) and the folders walked besides the
    // folders the history names.
    void SetSources(const QString& historyPath, const QStringList& folders);
    // Begins a scan; one running is given up first.
    void Rescan();
    void Stop();
    bool Running() const { return m_thread != nullptr; }
    // The folders the last scan walked (for a watcher).
    QStringList Folders() const { return m_walked; }
    // The library renamed or trashed a file: the history's plays of it name
    // `to` from now on. Written off this thread, one after another; a scan
    // reads the history once those asked for before it are written.
    void MoveInHistory(const QString& from, const QString& to);
    // History moves still to be written (tests wait for none).
    int PendingMoves() const { return m_moves.load(); }

    static constexpr int kBatch = 250;

signals:
    void finished();
    // Why the history could not follow a file.
    void problem(const QString& text);

private:
    LibraryModel& m_model;
    QString m_history;
    QStringList m_folders;
    QStringList m_walked;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    int m_generation = 0;
    // One thread: the moves are written in the order asked.
    std::shared_ptr<QThreadPool> m_historyJobs;
    std::atomic<int> m_moves{0};
};
