#pragma once

#include "platform/classregistry.h"

#include <QString>

// The document types the recorder registers with the desktop: preset files
// (".tvp") always, playlist files (".pls") only when the user had given
// them to the program before. The previous owner of ".pls" is kept in the
// backup file and given back on uninstall. Failures are silent: a key that
// cannot be written or deleted is skipped.
class clsAssociations {
public:
    // `command` opens a document without recording ("tonquill %f -noop"),
    // `icon` names the documents' icon.
    clsAssociations(IClassRegistry& registry, QString backupFile, QString command, QString icon);

    void InstallAssociations();
    void UninstallAssociations();
    bool IsPlaylistLinked();
    void LinkPlaylist();
    void RestorePlaylist();

private:
    IClassRegistry& m_registry;
    QString m_backupFile;
    QString m_command;
    QString m_icon;
};

// The same for the user's desktop: the XDG store in the user's data and
// config folders, the backup "assoc.mcg" in the program's config folder and
// the running program as the command.
void InstallUserAssociations();
void UninstallUserAssociations();
