#pragma once

#include "recorder/songrules.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The song rules, compiled off the GUI thread once for each state of the
// lists: a recording that starts with the lists as they were takes the
// rules compiled before at once; lists that changed (another size, time or
// file) are read and compiled on a worker thread, and `compiled` is sent
// on this object's thread when they are ready.
class SongRulesCompiler : public QObject {
    Q_OBJECT
public:
    // Reads and compiles the lists of a folder; SongRules::Load unless a
    // test gives another. Runs on a worker thread.
    using Compile = std::function<SongRules(const QString& folder, bool wishOnly)>;
    explicit SongRulesCompiler(Compile compile = {}, QObject* parent = nullptr);

    // The rules of the lists in `folder` as they are now; null while they
    // are being compiled (`compiled` follows, and asking again then gives
    // them, or starts the next compile if the lists changed meanwhile).
    // Without any list the rules are empty and given at once.
    std::shared_ptr<const SongRules> Rules(const QString& folder, bool wishOnly);
    // Compiles started so far.
    int Compilations() const { return m_compilations; }

signals:
    void compiled();

private:
    void onFinished();

    Compile m_compile;
    QFutureWatcher<SongRules> m_watcher;
    QString m_key;        // of the lists m_rules were compiled from
    QString m_runningKey; // of the compile in progress
    std::shared_ptr<const SongRules> m_rules;
    int m_compilations = 0;
};
