// The preset reader on any file content: the input is written to a file and
// loaded from disk.
#include "config/configuration.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <unistd.h>

namespace {
QString g_file;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Keep whatever the loader looks up away from the user's own folders.
    const QString home = QDir::tempPath() + QStringLiteral("/tonquill-fuzz-preset-") + QString::number(getpid());
    QDir().mkpath(home);
    qputenv("TONQUILL_HOME", home.toUtf8());
    g_file = home + QStringLiteral("/preset.tvp");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile file(g_file);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    RecordingMessageService messages;
    clsConfiguration config;
    config.setMessageService(&messages);
    const bool ok = config.LoadConfigurationFile(g_file);
    if (ok && !messages.messages.isEmpty())
        std::abort();
    config.HeaderLines();
    return 0;
}
