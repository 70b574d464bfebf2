#include "server/trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool MoveToTrash(const QString& path, QString* problem)
{
    // Without the data folder the trash would be made in the working folder.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data)) {
        *problem = QStringLiteral("There is no data folder to keep the trash in.");
        return false;
    }
    QFile file(path);
    if (!file.moveToTrash()) {
        *problem = QStringLiteral("%1 cannot be moved to the trash: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
