#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

// For targets that read their input from disk: a folder of this process's
// own below the temporary folder, and the input written to a file in it.
inline QString FuzzFolder(const char* name)
{
    const QString folder =
        QDir::tempPath() + QStringLiteral("/tonquill-fuzz-%1-").arg(QLatin1String(name)) + QString::number(getpid());
    QDir().mkpath(folder);
    return folder;
}

inline void WriteFuzzInput(const QString& path, const uint8_t* data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
}
