#pragma once

// The folders the library walks for recordings the history does not know:
// the default recording folder, the folder the panel records into, and the
// folder each saved preset records into.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The save folder a preset's text names (its fourth line after the comment
// lines at the top); "" when it names the default folder ("%DEFDIR%") or
// the text ends before it.
QString PresetSaveFolder(QByteArrayView presetText);

// `defaultFolder`, `panelFolder` and the save folders of the presets (.tvp)
// in `presetsFolder`, each once, without a trailing separator; empty ones
// and ones that do not exist are left out.
QStringList LibraryFolders(const QString& defaultFolder, const QString& panelFolder, const QString& presetsFolder);
