#pragma once

#include "platform/classregistry.h"
#include "platform/commandrunner.h"

#include <QMap>
#include <QString>

// The class registrations realised on the freedesktop.org standards, in the
// user's own folders only:
//  - an extension key (".tvp", ".pls") is the default application of the
//    extension's MIME type in $XDG_CONFIG_HOME/mimeapps.list; for ".tvp" the
//    type itself (application/x-tonquill-preset) is declared by a package
//    in $XDG_DATA_HOME/mime/packages, followed by update-mime-database;
//  - a class key ("Tavrix.Preset", "Tavrix.Playlist") is a desktop file in
//    $XDG_DATA_HOME/applications, its value the file's comment, its
//    "DefaultIcon" the icon, its "shell\open\command" the Exec line. The
//    playlist file lists audio/x-scpls only while ".pls" is set to it (a
//    desktop file that lists a type may be chosen for it by default).
// A class name as a value stands for its desktop file; any other value is
// a desktop file name of another program, kept as it is. An extension's
// line in mimeapps.list lists other programs too: setting a class puts its
// desktop file first and leaves the others in their order, deleting the key
// (or setting "") takes only ours out, and nothing else in the file changes;
// a mimeapps.list left empty goes, and so does a MIME database left without
// packages when ours goes.
//
// Files are written only inside the user's folders (the home folder and the
// two XDG folders): a file that is a link to a place elsewhere is left as it
// is. Whatever could not be read or written is kept in Problems().
class XdgClassRegistry : public IClassRegistry {
public:
    // Empty folders: the XDG environment (XDG_DATA_HOME, XDG_CONFIG_HOME)
    // or its defaults below the home folder.
    explicit XdgClassRegistry(ICommandRunner& runner, QString dataHome = {}, QString configHome = {});

    QString GetValue(const QString& key) override;
    bool SetValue(const QString& key, const QString& value) override;
    bool DeleteKey(const QString& key) override;

    static QString DesktopFileOf(const QString& className); // "" when not ours
    static QString MimeTypeOf(const QString& extension);    // "" when unknown
    // `path` quoted as one argument of a desktop file's Exec line.
    static QString QuoteExecArgument(const QString& path);

    // What could not be read, written or removed, one sentence each.
    QStringList Problems() const override { return m_problems; }

private:
    QString mimeappsPath() const;
    QString applicationsFolder() const;
    QString packagePath() const;
    bool readMimeApps(QByteArray& bytes);
    QString defaultApplication(const QString& mimeType);
    // Our desktop file first (or another program's, given back), or only
    // ours taken out when `desktopFile` is empty.
    bool setDefaultApplication(const QString& mimeType, const QString& desktopFile);
    bool writePackage(bool present);
    void removeEmptyMimeDatabase(const QString& mime);
    QMap<QString, QString> readEntry(const QString& path) const;
    // The entry's keys without those that follow from its class.
    QMap<QString, QString> storedEntry(const QString& path) const;
    // Written only when its bytes change.
    bool writeEntry(const QString& path, const QString& className, const QMap<QString, QString>& entry);
    // The playlist entry, when there is one, rewritten for the current ".pls".
    bool followPlaylistLink();
    bool writeFile(const QString& path, const QByteArray& bytes);
    bool removeFile(const QString& path);
    // Where writing `path` lands (a link's target), "" when that is outside
    // the user's folders.
    QString landingPlace(const QString& path) const;

    ICommandRunner& m_runner;
    QString m_dataHome;
    QString m_configHome;
    QStringList m_problems;
};