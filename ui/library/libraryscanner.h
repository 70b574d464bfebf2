#pragma once

// Fills a library model in the background: a worker thread reads the title
// history (its own connection) and walks the recording folders, and hands
// the rows over in batches; the model is only touched on its own thread.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
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

    static constexpr int kBatch = 250;

signals:
    void finished();

private:
    LibraryModel& m_model;
    QString m_history;
    QStringList m_folders;
    QStringList m_walked;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    int m_generation = 0;
};
