#include "config/safewrite.h"

#include <QSaveFile>

bool WriteTextLinesSafely(const QString& path, const QStringList& lines)
{
    if (path.isEmpty())
        return false;
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
