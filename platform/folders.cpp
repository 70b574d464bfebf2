#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}
}  // namespace

void ProgramFolders::SetOverride(const QString& folder)
{
    overrideFolder() = folder;
}

QString ProgramFolders::base(bool data)
{
    if (!overrideFolder().isEmpty())
        return withSlash(overrideFolder());
    const QString home = qEnvironmentVariable("TONQUILL_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return withSlash(home);
    }
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QFileInfo info(exeDir);
        // A program installed into the system's folders is never portable,
        // even for root, who can write there.
        const QString real = info.canonicalFilePath();
        const bool system = real.startsWith(QLatin1String("/usr/")) || real == QLatin1String("/bin") ||
                            real == QLatin1String("/sbin");
        if (info.isDir() && info.isWritable() && !system)
            return withSlash(exeDir);
    }
    const auto location = data ? QStandardPaths::GenericDataLocation : QStandardPaths::GenericConfigLocation;
    QString root = QStandardPaths::writableLocation(location);
    if (root.isEmpty())
        root = QDir::homePath() + (data ? QLatin1String("/.local/share") : QLatin1String("/.config"));
    const QString folder = QDir(root).filePath(QStringLiteral("tonquill"));
    QDir().mkpath(folder);
    return withSlash(folder);
}

QString ProgramFolders::ConfigFolder()
{
    return base(false);
}

QString ProgramFolders::DataFolder()
{
    return base(true);
}

QString ProgramFolders::PresetsFolder(bool create)
{
    const QString folder = DataFolder() + QStringLiteral("Presets/");
    if (create)
        QDir().mkpath(folder);
    return folder;
}

bool IsHeadless()
{
    if (qEnvironmentVariableIntValue("TONQUILL_HEADLESS") == 1)
        return true;
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
