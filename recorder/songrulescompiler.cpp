#include "recorder/songrulescompiler.h"

#include "platform/paths.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>
#include <sys/stat.h>

namespace {
// What tells one state of a list file from another, without reading it:
// "-" for a file that is not there.
QString fileStamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("-");
    return QStringLiteral("%1:%2:%3:%4.%5:%6.%7")
        .arg(qulonglong(st.st_dev))
        .arg(qulonglong(st.st_ino))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec))
        .arg(qlonglong(st.st_ctim.tv_sec))
        .arg(qlonglong(st.st_ctim.tv_nsec));
}
} // namespace

SongRulesCompiler::SongRulesCompiler(Compile compile, QObject* parent)
    : QObject(parent), m_compile(compile ? std::move(compile) : Compile(&SongRules::Load))
{
    connect(&m_watcher, &QFutureWatcher<SongRules>::finished, this, &SongRulesCompiler::onFinished);
}

std::shared_ptr<const SongRules> SongRulesCompiler::Rules(const QString& folder, bool wishOnly)
{
    QString key = folder + QLatin1Char('|') + QLatin1Char(wishOnly ? '1' : '0');
    bool anyList = false;
    for (const char* name : {kIgnoreListFile, kWishListFile, kTitleRulesFile}) {
        const QString stamp = fileStamp(JoinPath(folder, QString::fromLatin1(name)));
        anyList = anyList || stamp != QLatin1String("-");
        key += QLatin1Char('|') + stamp;
    }
    if (m_rules && key == m_key)
        return m_rules;
    if (!anyList) {
        // Nothing to read or compile: done here at once.
        return std::make_shared<const SongRules>(SongRules::Load(folder, wishOnly));
    }
    if (!m_watcher.isRunning()) {
        m_runningKey = key;
        ++m_compilations;
        m_watcher.setFuture(QtConcurrent::run(m_compile, folder, wishOnly));
    }
    return nullptr;
}

void SongRulesCompiler::onFinished()
{
    m_rules = std::make_shared<const SongRules>(m_watcher.result());
    m_key = m_runningKey;
    emit compiled();
}
