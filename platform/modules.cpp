#include "platform/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>

#ifndef TONQUILL_MODULE_DIR
#define TONQUILL_MODULE_DIR "/usr/lib/tonquill"
#endif
#ifndef TONQUILL_MODULE_DIR_FROM_BIN
#define TONQUILL_MODULE_DIR_FROM_BIN "../lib/tonquill"
#endif

QStringList ModuleFolders()
{
    QStringList folders;
    // A folder named in the environment comes first: tests run from their
    // own folders, away from the program's.
    const QString named = qEnvironmentVariable("TONQUILL_MODULE_PATH");
    if (!named.isEmpty())
        folders.append(QDir::cleanPath(named));
    // The program's own folder, read from the kernel: no application object
    // needs to exist yet.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString program = self.canonicalFilePath();
    if (!program.isEmpty()) {
        const QString folder = QFileInfo(program).absolutePath();
        folders.append(folder);
        folders.append(QDir::cleanPath(folder + QLatin1Char('/') + QStringLiteral(TONQUILL_MODULE_DIR_FROM_BIN)));
    }
    const QString installed = QDir::cleanPath(QStringLiteral(TONQUILL_MODULE_DIR));
    if (!folders.contains(installed))
        folders.append(installed);
    return folders;
}

QString ModulePath(const QString& name)
{
    const QString file = QStringLiteral("lib%1.so").arg(name);
    for (const QString& folder : ModuleFolders()) {
        const QFileInfo candidate(QDir(folder), file);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

QFunctionPointer ModuleFunction(const QString& name, const char* symbol, QString& problem)
{
    // A part is loaded once and never unloaded: objects it made may live to
    // the end of the run. The table is never destroyed either, so the parts
    // stay reachable after the program's static objects are gone.
    static auto* const loaded = new QHash<QString, QLibrary*>;
    QLibrary* library = loaded->value(name);
    if (!library) {
        const QString path = ModulePath(name);
        if (path.isEmpty()) {
            problem = QCoreApplication::translate("Modules", "lib%1.so is in none of %2")
                          .arg(name, ModuleFolders().join(QStringLiteral(", ")));
            return nullptr;
        }
        library = new QLibrary(path);
        if (!library->load()) {
            problem = library->errorString();
            delete library;
            return nullptr;
        }
        loaded->insert(name, library);
    }
    const QFunctionPointer function = library->resolve(symbol);
    if (!function)
        problem = library->errorString();
    return function;
}
