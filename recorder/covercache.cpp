#include "recorder/covercache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace covercache {

QString Folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("tonquill/covers"));
}

QString Store(const QString& folder, const CoverPicture& cover, qint64 maxBytes)
{
    if (cover.IsNull() || !QDir().mkpath(folder))
        return QString();
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(cover.data, QCryptographicHash::Sha1).toHex()) + cover.Extension();
    const QString path = QDir(folder).filePath(name);
    QFile existing(path);
    if (existing.exists() && existing.size() == cover.data.size()) {
        // Used again: the newest, so cleaning keeps it longest.
        if (existing.open(QIODevice::ReadWrite))
            existing.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
        return path;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(cover.data) != cover.data.size() || !out.commit())
        return QString();
    Clean(folder, maxBytes, path);
    return path;
}

int Clean(const QString& folder, qint64 maxBytes, const QString& keep)
{
    QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.jpg"), QStringLiteral("*.png")}, QDir::Files,
                                                     QDir::Time | QDir::Reversed); // the oldest first
    qint64 total = 0;
    for (const QFileInfo& f : files)
        total += f.size();
    int removed = 0;
    const QString kept = keep.isEmpty() ? QString() : QFileInfo(keep).absoluteFilePath();
    for (const QFileInfo& f : files) {
        if (total <= maxBytes)
            break;
        if (f.absoluteFilePath() == kept)
            continue;
        if (QFile::remove(f.absoluteFilePath())) {
            total -= f.size();
            ++removed;
        }
    }
    return removed;
}

} // namespace covercache
