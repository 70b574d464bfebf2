// Installing and removing the document associations on the key model: the
// order in which the keys are written, the ".pls" takeover and its backup.
#include "config/associations.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kCommand = QStringLiteral("tonquill %f -noop");

QMap<QString, QString> ourKeys()
{
    return {{".tvp", "Tavrix.Preset"},
            {"Tavrix.Preset", "Tavrix Preset"},
            {"Tavrix.Preset\\DefaultIcon", "tonquill"},
            {"Tavrix.Preset\\shell", "open"},
            {"Tavrix.Preset\\shell\\open\\command", kCommand},
            {"Tavrix.Playlist", "Tavrix Playlist Link"},
            {"Tavrix.Playlist\\DefaultIcon", "tonquill"},
            {"Tavrix.Playlist\\shell", "open"},
            {"Tavrix.Playlist\\shell\\open\\command", kCommand}};
}

QMap<QString, QString> with(QMap<QString, QString> keys, const QString& key, const QString& value)
{
    keys.insert(key, value);
    return keys;
}

} // namespace

TEST(Associations, InstallAndUninstallFromEveryStartingPoint)
{
    struct Case {
        const char* what;
        QMap<QString, QString> before;
        QByteArray backupBefore; // "-" for no file
        bool install;
        QMap<QString, QString> after;
        QByteArray backupAfter;
    } cases[] = {
        {"fresh install", {}, "-", true, ourKeys(), "-"},
        {".pls of another program stays",
         {{".pls", "vlc.desktop"}},
         "-",
         true,
         with(ourKeys(), ".pls", "vlc.desktop"),
         "-"},
        {"install again after linking", with(ourKeys(), ".pls", "Tavrix.Playlist"), "vlc.desktop\r\n", true,
         with(ourKeys(), ".pls", "Tavrix.Playlist"), "vlc.desktop\r\n"},
        {"uninstall with the backup",
         with(ourKeys(), ".pls", "Tavrix.Playlist"),
         "vlc.desktop\r\n",
         false,
         {{".pls", "vlc.desktop"}},
         "-"},
        {"uninstall without the backup", with(ourKeys(), ".pls", "Tavrix.Playlist"), "-", false, {{".pls", ""}}, "-"},
        {"uninstall with nothing registered", {{".pls", "vlc.desktop"}}, "-", false, {{".pls", "vlc.desktop"}}, "-"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const QString backup = dir.file(QStringLiteral("assoc.mcg"));
        if (c.backupBefore != "-")
            WriteAll(backup, c.backupBefore);
        MemoryClassRegistry registry;
        registry.values = c.before;
        clsAssociations a(registry, backup, kCommand, QStringLiteral("tonquill"));
        if (c.install)
            a.InstallAssociations();
        else
            a.UninstallAssociations();
        EXPECT_EQ(registry.values, c.after) << c.what;
        EXPECT_EQ(QFile::exists(backup) ? ReadAll(backup) : QByteArray("-"), c.backupAfter) << c.what;
    }
}
