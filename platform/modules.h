#pragma once

#include <QString>
#include <QStringList>

// The program's loadable parts ("lib<name>.so"): the windows and the audio
// output live in parts of their own, so a recorder without a display loads
// neither. A part is looked for beside the running program first (a build
// tree), then in the folder the package installs them to: as seen from the
// program's folder, then at its own absolute path. TONQUILL_MODULE_PATH, when
// set, names a folder looked in before all of these.
QStringList ModuleFolders();
// The full path of the part, or "" when no folder holds it.
QString ModulePath(const QString& name);
// Loads the part once (it stays loaded for the rest of the run) and returns
// the address of its function `symbol`; null, with the reason in `problem`,
// when the part is missing or cannot be loaded.
QFunctionPointer ModuleFunction(const QString& name, const char* symbol, QString& problem);
