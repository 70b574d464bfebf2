#include "platform/paths.h"

#include <QFileInfo>

namespace {
QString native(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

// Index just after the separator that ends the folder part, 0 when none.
qsizetype splitAt(const QString& path)
{
    qsizetype start = 0;
    if (path.size() >= 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':'))
        start = 2;
    qsizetype cut = start;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash >= start)
        cut = slash + 1;
    const qsizetype back = path.lastIndexOf(QLatin1Char('\\'));
    if (back >= cut)
        cut = back + 1;
    return cut;
}
}  // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(native(path));
    return info.exists() && !info.isDir();
}

bool IsFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(native(path)).isDir();
}

bool PathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(native(path));
}

QString FileNameOf(const QString& path)
{
    return path.mid(splitAt(path));
}

QString FolderOf(const QString& path)
{
    return path.left(splitAt(path));
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
