#pragma once

// Writes plays into the title history off the caller's thread: Begin and
// End only queue what is to be written and return at once; a thread of the
// writer's own, with its own connection, writes what is queued in batches.
// A recording never waits for the database.

#include "history/historystore.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

class HistoryWriter : public QObject {
    Q_OBJECT
public:
    // How long queued plays wait for more to come before they are written.
    static constexpr int kBatchDelayMs = 250;

    explicit HistoryWriter(QString path = HistoryStore::DefaultPath(), QObject* parent = nullptr);
    // Writes what is still queued, then ends the thread.
    ~HistoryWriter() override;

    // A play began: its number for End (never 0).
    qint64 Begin(const Play& play);
    // Play `id` is as `play` says now (it ended, or its file is known).
    void Update(qint64 id, const Play& play);

    // Changes queued and not written yet (tests wait for 0).
    int Pending() const { return m_pending.load(); }
    // Changes the database did not take (a write that failed).
    int Failed() const { return m_failed.load(); }
    QString Path() const { return m_path; }

signals:
    // Said once, on the writer's owner's thread: what opening the history
    // had to do (a damaged file set aside), or why there is none.
    void notice(const QString& text);

private:
    struct Change {
        qint64 id;
        bool insert;
        Play play;
    };
    class Worker;
    void queue(Change change);

    QString m_path;
    QThread m_thread;
    Worker* m_worker = nullptr; // lives on m_thread
    QMutex m_mutex;
    std::vector<Change> m_queue;
    std::atomic<qint64> m_nextId{1};
    std::atomic<int> m_pending{0};
    std::atomic<int> m_failed{0};
};
