#include "ui/library/libraryfolders.h"

#include "platform/text.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A preset is a few hundred bytes; anything larger is not read.
constexpr qint64 kPresetMaxBytes = 1024 * 1024;

bool isCommentLine(const QString& line)
{
    return line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('#'));
}

} // namespace

QString PresetSaveFolder(QByteArrayView presetText)
{
    const QStringList lines = DecodeLines(presetText);
    qsizetype next = 0;
    while (next < lines.size() && isCommentLine(lines.at(next)))
        ++next;
    next += 3;
    if (next >= lines.size())
        return {};
    const QString folder = lines.at(next).trimmed();
    return folder == QLatin1String("%DEFDIR%") ? QString() : folder;
}

QStringList LibraryFolders(const QString& defaultFolder, const QString& panelFolder, const QString& presetsFolder)
{
    QStringList candidates{defaultFolder, panelFolder};
    if (!presetsFolder.isEmpty()) {
        const QDir presets(presetsFolder);
        const QStringList names =
            presets.entryList({QStringLiteral("*.tvp"), QStringLiteral("*.TVP")}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            const FileRead read = ReadRegularFile(presets.filePath(name), kPresetMaxBytes);
            if (read.ok())
                candidates.append(PresetSaveFolder(read.bytes));
        }
    }
    QStringList folders;
    for (QString folder : candidates) {
        folder = folder.trimmed().replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (folder.isEmpty())
            continue;
        const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
        if (QFileInfo(clean).isDir() && !folders.contains(clean))
            folders.append(clean);
    }
    return folders;
}
