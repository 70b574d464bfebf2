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
//    "DefaultIcon" the icon, its "shell\open\command" the Exec line.
// A class name as a value stands for its desktop file; any other value is
// a desktop file name of another program, kept as it is.
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

private:
    QString mimeappsPath() const;
    QString applicationsFolder() const;
    QString packagePath() const;
    QString defaultApplication(const QString& mimeType) const;
    bool setDefaultApplication(const QString& mimeType, const QString& desktopFile);
    bool writePackage(bool present);
    QMap<QString, QString> readEntry(const QString& path) const;
    bool writeEntry(const QString& path, const QString& className, const QMap<QString, QString>& entry);

    ICommandRunner& m_runner;
    QString m_dataHome;
    QString m_configHome;
};
