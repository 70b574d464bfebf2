#include "history/historywriter.h"

#include <QHash>
#include <QMutexLocker>
#include <QTimer>

// The writer's thread: its store, and where its plays are in it.
class HistoryWriter::Worker : public QObject {
public:
    explicit Worker(HistoryWriter& owner) : m_owner(owner), m_batch(this)
    {
        m_batch.setSingleShot(true);
        m_batch.setInterval(kBatchDelayMs);
        connect(&m_batch, &QTimer::timeout, this, [this] { write(); });
    }

    void open()
    {
        m_store = std::make_unique<HistoryStore>(m_owner.m_path);
        m_store->Open();
        const QString said = m_store->IsOpen() ? m_store->Notice() : m_store->Error();
        if (!said.isEmpty())
            QMetaObject::invokeMethod(
                &m_owner, [o = &m_owner, said] { emit o->notice(said); }, Qt::QueuedConnection);
    }

    void wake()
    {
        if (!m_batch.isActive())
            m_batch.start();
    }

    void write()
    {
        std::vector<Change> changes;
        {
            const QMutexLocker lock(&m_owner.m_mutex);
            changes.swap(m_owner.m_queue);
        }
        if (changes.empty())
            return;
        int failed = 0;
        const auto apply = [&] {
            for (const Change& c : changes) {
                if (c.insert) {
                    const qint64 row = m_store->Insert(c.play);
                    if (row == 0)
                        ++failed;
                    else
                        m_rows.insert(c.id, row);
                } else if (const qint64 row = m_rows.value(c.id); row == 0 || !m_store->Update(row, c.play)) {
                    ++failed;
                }
            }
            return true;
        };
        if (!m_store->IsOpen() || !m_store->Transaction(apply))
            failed = int(changes.size());
        m_owner.m_failed += failed;
        m_owner.m_pending -= int(changes.size());
    }

    void close()
    {
        m_batch.stop();
        write();
        m_store.reset();
    }

private:
    HistoryWriter& m_owner;
    std::unique_ptr<HistoryStore> m_store;
    QHash<qint64, qint64> m_rows; // play number -> row id
    QTimer m_batch;
};

HistoryWriter::HistoryWriter(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker = new Worker(*this);
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->open(); }, Qt::QueuedConnection);
}

HistoryWriter::~HistoryWriter()
{
    // The thread ends after it wrote what was queued (a quit from here could
    // end it before).
    QMetaObject::invokeMethod(
        m_worker,
        [w = m_worker] {
            w->close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    // The thread ends once what was queued is written; it is joined, not
    // waited for with an event loop.
    m_thread.wait();
    delete m_worker;
}

void HistoryWriter::queue(Change change)
{
    bool first = false;
    {
        const QMutexLocker lock(&m_mutex);
        first = m_queue.empty();
        m_queue.push_back(std::move(change));
        ++m_pending;
    }
    if (first)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->wake(); }, Qt::QueuedConnection);
}

qint64 HistoryWriter::Begin(const Play& play)
{
    const qint64 id = m_nextId++;
    queue({id, true, play});
    return id;
}

void HistoryWriter::Update(qint64 id, const Play& play)
{
    queue({id, false, play});
}
