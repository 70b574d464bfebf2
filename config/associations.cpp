#include "config/associations.h"

#include "platform/commandrunner.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/xdgclassregistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kPresetExt = QStringLiteral(".tvp");
const QString kPlaylistExt = QStringLiteral(".pls");
const QString kPreset = QStringLiteral("Tavrix.Preset");
const QString kPlaylist = QStringLiteral("Tavrix.Playlist");
const QString kPresetName = QStringLiteral("Tavrix Preset");
const QString kPlaylistName = QStringLiteral("Tavrix Playlist Link");

QString sub(const QString& key, const char* path)
{
    return key + QLatin1Char('\\') + QLatin1String(path);
}

} // namespace

clsAssociations::clsAssociations(IClassRegistry& registry, QString backupFile, QString command, QString icon)
    : m_registry(registry), m_backupFile(std::move(backupFile)), m_command(std::move(command)), m_icon(std::move(icon))
{
}

bool clsAssociations::writeClass(const QString& key, const QString& name)
{
    if (m_registry.GetValue(key) == name)
        return true;
    bool done = m_registry.SetValue(key, name);
    done = m_registry.SetValue(sub(key, "DefaultIcon"), m_icon) && done;
    done = m_registry.SetValue(sub(key, "shell"), QStringLiteral("open")) && done;
    return m_registry.SetValue(sub(key, "shell\\open\\command"), m_command) && done;
}

void clsAssociations::deleteClass(const QString& key)
{
    for (const char* leaf : {"DefaultIcon", "shell\\open\\command", "shell\\open", "shell"})
        m_registry.DeleteKey(sub(key, leaf));
    m_registry.DeleteKey(key);
}

void clsAssociations::InstallAssociations()
{
    const bool linked = IsPlaylistLinked();
    UninstallAssociations();
    // The classes first: a type pointing at a class that is not there would
    // open nothing.
    const bool preset = writeClass(kPreset, kPresetName);
    const bool playlist = writeClass(kPlaylist, kPlaylistName);
    if (preset && m_registry.GetValue(kPresetExt) != kPreset)
        m_registry.SetValue(kPresetExt, kPreset);
    if (linked && playlist)
        LinkPlaylist();
}

void clsAssociations::UninstallAssociations()
{
    m_registry.DeleteKey(kPresetExt);
    if (IsPlaylistLinked())
        RestorePlaylist();
    // A class stays while its type could not be taken from it.
    if (m_registry.GetValue(kPresetExt) != kPreset)
        deleteClass(kPreset);
    if (!IsPlaylistLinked())
        deleteClass(kPlaylist);
}

bool clsAssociations::IsPlaylistLinked()
{
    return m_registry.GetValue(kPlaylistExt) == kPlaylist;
}

void clsAssociations::LinkPlaylist()
{
    const QString previous = m_registry.GetValue(kPlaylistExt);
    // Without its backup the previous owner could not be given back. The
    // backup is ours alone: never written through a link to somewhere else.
    if (!previous.isEmpty() && (QFileInfo(m_backupFile).isSymLink() || !WriteTextLines(m_backupFile, {previous}))) {
        m_problems.append(
            QCoreApplication::translate("Associations", "%1 could not be written; playlists were left to %2.")
                .arg(m_backupFile, previous));
        return;
    }
    m_registry.SetValue(kPlaylistExt, kPlaylist);
}

void clsAssociations::RestorePlaylist()
{
    QString text;
    if (ReadTextFile(m_backupFile, text)) {
        if (m_registry.SetValue(kPlaylistExt, SplitLines(text).value(0)))
            QFile::remove(m_backupFile);
    } else {
        m_registry.SetValue(kPlaylistExt, QString());
    }
}

QStringList clsAssociations::Problems() const
{
    QStringList all = m_registry.Problems() + m_problems;
    all.removeDuplicates();
    return all;
}

namespace {

// The command a desktop file runs: the program's name when it is the one
// found on PATH, else its full path.
QString openCommand()
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("tonquill"));
    QString program = QStringLiteral("tonquill");
    if (onPath.isEmpty() || QFileInfo(onPath).canonicalFilePath() != QFileInfo(self).canonicalFilePath())
        program = XdgClassRegistry::QuoteExecArgument(self);
    return program + QStringLiteral(" %f -noop");
}

template <typename Work> QStringList withUserAssociations(Work work)
{
    SystemCommandRunner runner;
    XdgClassRegistry registry(runner);
    clsAssociations associations(registry, ProgramFolders::ConfigFolder() + QStringLiteral("assoc.mcg"), openCommand(),
                                 QStringLiteral("tonquill"));
    work(associations);
    return associations.Problems();
}

} // namespace

QStringList InstallUserAssociations()
{
    return withUserAssociations([](clsAssociations& a) { a.InstallAssociations(); });
}

QStringList UninstallUserAssociations()
{
    return withUserAssociations([](clsAssociations& a) { a.UninstallAssociations(); });
}
