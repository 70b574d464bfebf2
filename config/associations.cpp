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

void clsAssociations::InstallAssociations()
{
    const bool linked = IsPlaylistLinked();
    UninstallAssociations();
    if (m_registry.GetValue(kPresetExt) != kPreset)
        m_registry.SetValue(kPresetExt, kPreset);
    if (m_registry.GetValue(kPreset) != kPresetName) {
        m_registry.SetValue(kPreset, kPresetName);
        m_registry.SetValue(sub(kPreset, "DefaultIcon"), m_icon);
        m_registry.SetValue(sub(kPreset, "shell"), QStringLiteral("open"));
        m_registry.SetValue(sub(kPreset, "shell\\open\\command"), m_command);
    }
    if (m_registry.GetValue(kPlaylist) != kPlaylistName) {
        m_registry.SetValue(kPlaylist, kPlaylistName);
        m_registry.SetValue(sub(kPlaylist, "DefaultIcon"), m_icon);
        m_registry.SetValue(sub(kPlaylist, "shell"), QStringLiteral("open"));
        m_registry.SetValue(sub(kPlaylist, "shell\\open\\command"), m_command);
    }
    if (linked)
        LinkPlaylist();
}

void clsAssociations::UninstallAssociations()
{
    for (const QString& key :
         {kPresetExt, sub(kPreset, "DefaultIcon"), sub(kPreset, "shell\\open\\command"), sub(kPreset, "shell\\open"),
          sub(kPreset, "shell"), kPreset, sub(kPlaylist, "DefaultIcon"), sub(kPlaylist, "shell\\open\\command"),
          sub(kPlaylist, "shell\\open"), sub(kPlaylist, "shell"), kPlaylist})
        m_registry.DeleteKey(key);
    if (IsPlaylistLinked())
        RestorePlaylist();
}

bool clsAssociations::IsPlaylistLinked()
{
    return m_registry.GetValue(kPlaylistExt) == kPlaylist;
}

void clsAssociations::LinkPlaylist()
{
    const QString previous = m_registry.GetValue(kPlaylistExt);
    if (!previous.isEmpty())
        WriteTextLines(m_backupFile, {previous});
    m_registry.SetValue(kPlaylistExt, kPlaylist);
}

void clsAssociations::RestorePlaylist()
{
    QString text;
    if (ReadTextFile(m_backupFile, text)) {
        m_registry.SetValue(kPlaylistExt, SplitLines(text).value(0));
        QFile::remove(m_backupFile);
    } else {
        m_registry.SetValue(kPlaylistExt, QString());
    }
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

template <typename Work> void withUserAssociations(Work work)
{
    SystemCommandRunner runner;
    XdgClassRegistry registry(runner);
    clsAssociations associations(registry, ProgramFolders::ConfigFolder() + QStringLiteral("assoc.mcg"), openCommand(),
                                 QStringLiteral("tonquill"));
    work(associations);
}

} // namespace

void InstallUserAssociations()
{
    withUserAssociations([](clsAssociations& a) { a.InstallAssociations(); });
}

void UninstallUserAssociations()
{
    withUserAssociations([](clsAssociations& a) { a.UninstallAssociations(); });
}
