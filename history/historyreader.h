#pragma once

// The title history read on a thread of its own, with a connection of its
// own: a window asks for a page and goes on; the page comes back as a
// signal. A newer question makes those still waiting moot: they are not run.

#include "history/historycharts.h"

#include <QAtomicInt>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

class HistoryReader : public QObject {
    Q_OBJECT
public:
    // Reads the history file at `path` (made when missing, like the writer's).
    explicit HistoryReader(QString path, QObject* parent = nullptr);
    // Returns at once: the thread ends after the question it is running.
    ~HistoryReader() override;

    // Each question gets a number; its answer carries it. Asking again with
    // the same `topic` drops the unanswered questions of that topic.
    int AskTopTitles(const ChartFilter& filter, int offset, int count);
    int AskPlaysOf(const QString& title, const ChartFilter& filter, int offset, int count);
    int AskStations();

    // The readers' threads still running (tests wait for none).
    static int RunningThreads();
    // Ends the threads of the readers gone, after the question each is at,
    // and waits for them. The application does so as it closes.
    static void EndThreads();

signals:
    void topTitles(int question, const std::vector<TitleCount>& page);
    void playsOf(int question, const std::vector<Play>& page);
    void stations(int question, const QStringList& names);
    // The history could not be opened (said once), or what opening it did.
    void notice(const QString& text);

private:
    struct Worker;
    enum Topic { Titles, Plays, Stations, Topics };
    int ask(Topic topic, std::function<void(Worker&, int question)> work);

    QThread* m_thread = nullptr;
    Worker* m_worker = nullptr;
    // The newest question of each topic, shared with the worker.
    std::shared_ptr<QAtomicInt[]> m_newest;
    int m_next = 0;
};
