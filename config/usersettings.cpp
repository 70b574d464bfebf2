#include "config/usersettings.h"

#include "platform/paths.h"

#include <QSettings>

#include <memory>

namespace {

QString& folderOverride()
{
    static QString folder;
    return folder;
}

QString explicitFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return qEnvironmentVariable("TONQUILL_HOME");
}

std::unique_ptr<QSettings> openStore(const QString& appName)
{
    const QString folder = explicitFolder();
    if (!folder.isEmpty())
        return std::make_unique<QSettings>(JoinPath(folder, appName + QStringLiteral("-user.ini")), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
}

// QSettings treats "/" and "\" in names as group separators; a section or
// key is one name here.
QString plainName(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QString keyPath(const QString& section, const QString& key)
{
    return plainName(section) + QLatin1Char('/') + plainName(key);
}

}  // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue)
{
    const auto store = openStore(appName);
    const QVariant value = store->value(keyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted text with commas is read back as a list; join it again.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
    const auto store = openStore(appName);
    store->setValue(keyPath(section, key), value);
    store->sync();
}

void SetUserSettingsFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString UserSettingsFile(const QString& appName)
{
    return openStore(appName)->fileName();
}
