#pragma once

#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key. Kept in an INI file of the user's own configuration
// (QSettings, user scope, organisation and application both `appName`).
//
// When TONQUILL_HOME is set the store is "<appName>-user.ini" in that
// folder, so a self-contained installation never touches the user's real
// settings; SetUserSettingsFolder overrides both.

// The stored value, or `defaultValue` when there is none.
QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue);
// Creates or replaces the value.
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// Keeps the store of every application as "<appName>-user.ini" in `folder`
// ("" returns to the rules above). For tests and portable use.
void SetUserSettingsFolder(const QString& folder);
// The file that holds the store of `appName`.
QString UserSettingsFile(const QString& appName);
