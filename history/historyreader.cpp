#include "history/historyreader.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QThread>
#include <utility>

namespace {
QAtomicInt g_running;

// The threads of the readers gone that are not deleted yet, known to the
// application's thread only.
QList<QPointer<QThread>>& threadsLeft()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

bool g_endAtExit = false;
} // namespace

void HistoryReader::EndThreads()
{
    g_endAtExit = false;
    for (const QPointer<QThread>& thread : std::exchange(threadsLeft(), {}))
        if (thread) {
            thread->quit();
            thread->wait();
            delete thread.data();
        }
}

namespace {
// A reader returns before its thread ends; the application ends those left
// as it closes, before Qt SQL's own state is torn down under them.
void keepThread(QThread* thread)
{
    QList<QPointer<QThread>>& threads = threadsLeft();
    if (!g_endAtExit && QCoreApplication::instance()) {
        qAddPostRoutine(HistoryReader::EndThreads);
        g_endAtExit = true;
    }
    threads.removeAll(nullptr);
    threads.append(thread);
}
} // namespace

// Lives on the reader's thread; its store is made, used and closed there.
struct HistoryReader::Worker : QObject {
    Q_OBJECT
public:
    Worker(QString path, std::shared_ptr<QAtomicInt[]> newest) : m_path(std::move(path)), m_newest(std::move(newest)) {}

    // The store, opened at the first question; null when it cannot be.
    const HistoryStore* store()
    {
        if (!m_store) {
            m_store = std::make_unique<HistoryStore>(m_path);
            const bool open = m_store->Open();
            const QString said = open ? m_store->Notice() : m_store->Error();
            if (!said.isEmpty())
                emit notice(said);
        }
        return m_store->IsOpen() ? m_store.get() : nullptr;
    }
    // Whether `question` is still the newest of its topic.
    bool current(int topic, int question) const { return m_newest[topic].loadAcquire() == question; }
    void finish()
    {
        m_store.reset();
        QThread::currentThread()->quit();
    }

signals:
    void topTitles(int question, const std::vector<TitleCount>& page);
    void playsOf(int question, const std::vector<Play>& page);
    void stations(int question, const QStringList& names);
    void notice(const QString& text);

private:
    QString m_path;
    std::shared_ptr<QAtomicInt[]> m_newest;
    std::unique_ptr<HistoryStore> m_store;
};

HistoryReader::HistoryReader(QString path, QObject* parent)
    : QObject(parent), m_thread(new QThread), m_newest(new QAtomicInt[Topics]())
{
    qRegisterMetaType<std::vector<TitleCount>>();
    qRegisterMetaType<std::vector<Play>>();
    m_worker = new Worker(std::move(path), m_newest);
    m_worker->moveToThread(m_thread);
    // The answers come through the worker's signals: once this reader is
    // gone, those still on their way are dropped with their connections.
    connect(m_worker, &Worker::topTitles, this, &HistoryReader::topTitles, Qt::QueuedConnection);
    connect(m_worker, &Worker::playsOf, this, &HistoryReader::playsOf, Qt::QueuedConnection);
    connect(m_worker, &Worker::stations, this, &HistoryReader::stations, Qt::QueuedConnection);
    connect(m_worker, &Worker::notice, this, &HistoryReader::notice, Qt::QueuedConnection);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, [] { g_running.fetchAndSubOrdered(1); });
    g_running.fetchAndAddOrdered(1);
    m_thread->start(QThread::LowPriority);
}

HistoryReader::~HistoryReader()
{
    for (int topic = 0; topic < Topics; ++topic)
        m_newest[topic].storeRelease(-1);
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->finish(); }, Qt::QueuedConnection);
    keepThread(m_thread);
}

int HistoryReader::RunningThreads()
{
    return g_running.loadAcquire();
}

int HistoryReader::ask(Topic topic, std::function<void(Worker&, int)> work)
{
    const int question = ++m_next;
    m_newest[topic].storeRelease(question);
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, topic, question, work = std::move(work)] {
            if (worker->current(topic, question))
                work(*worker, question);
        },
        Qt::QueuedConnection);
    return question;
}

int HistoryReader::AskTopTitles(const ChartFilter& filter, int offset, int count)
{
    return ask(Titles, [filter, offset, count](Worker& w, int question) {
        const HistoryStore* store = w.store();
        emit w.topTitles(question, store ? TopTitlesPage(*store, filter, offset, count) : std::vector<TitleCount>());
    });
}

int HistoryReader::AskPlaysOf(const QString& title, const ChartFilter& filter, int offset, int count)
{
    return ask(Plays, [title, filter, offset, count](Worker& w, int question) {
        const HistoryStore* store = w.store();
        emit w.playsOf(question, store ? PlaysOfTitle(*store, title, filter, offset, count) : std::vector<Play>());
    });
}

int HistoryReader::AskStations()
{
    return ask(Stations, [](Worker& w, int question) {
        const HistoryStore* store = w.store();
        emit w.stations(question, store ? HistoryStations(*store) : QStringList());
    });
}

#include "historyreader.moc"
