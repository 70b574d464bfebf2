#pragma once

#include "platform/classregistry.h"

#include <QString>

// The document types the recorder registers with the desktop: preset files
// (".tvp") always, playlist files (".pls") only when the user had given
// them to the program before. The previous owner of ".pls" is kept in the
// backup file and given back on uninstall. A key that cannot be written or
// deleted is skipped and the work goes on, but a type is never pointed at a
// class that could not be written, a class is kept while its type still
// points at it, and the backup is kept until it has been given back.
// Problems() says what could not be done.
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
    // What could not be read, written or removed, one sentence each.
    QStringList Problems() const;

private:
    bool writeClass(const QString& key, const QString& name);
    void deleteClass(const QString& key);

    IClassRegistry& m_registry;
    QString m_backupFile;
    QString m_command;
    QString m_icon;
    QStringList m_problems;
};

// The same for the user's desktop: the XDG store in the user's data and
// config folders, the backup "assoc.mcg" in the program's config folder and
// the running program as the command. The result says what could not be
// done ("" when all went well).
QStringList InstallUserAssociations();
QStringList UninstallUserAssociations();
