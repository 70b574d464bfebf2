// Installing and removing the document associations on the key model: the
// order in which the keys are written, the ".pls" takeover and its backup;
// then on the XDG files: other programs' entries and every other byte of
// mimeapps.list kept, and what cannot be written told.
#include "config/associations.h"
#include "platform/xdgclassregistry.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

namespace {

class NoTools : public ICommandRunner {
public:
    CommandResult Run(const QString&, const QStringList&, const QByteArray&) override { return {}; }
};

// The user's XDG folders in a temporary home.
struct XdgHome {
    TempFolder home;
    NoTools tools;
    QString data() const { return home.path() + "data"; }
    QString config() const { return home.path() + "config"; }
    QString mimeapps() const { return config() + "/mimeapps.list"; }
    QString backup() const { return home.file(QStringLiteral("assoc.mcg")); }
    QStringList run(bool install)
    {
        XdgClassRegistry registry(tools, data(), config());
        clsAssociations a(registry, backup(), kCommand, QStringLiteral("tonquill"));
        if (install)
            a.InstallAssociations();
        else
            a.UninstallAssociations();
        return a.Problems();
    }
};

} // namespace

TEST(Associations, MimeappsListKeepsEveryOtherByteAndComesBackOnUninstall)
{
    struct Case {
        const char* what;
        QByteArray before;
        QByteArray backupBefore; // "-" for no file
        QByteArray installed;    // mimeapps.list after installing
        QByteArray uninstalled;  // and after uninstalling again
    } cases[] = {
        {"another player after ours keeps its place",
         "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;vlc.desktop;\n", "-",
         "[Default Applications]\napplication/x-tonquill-preset=tonquill-preset.desktop;\n"
         "audio/x-scpls=tonquill-playlist.desktop;vlc.desktop;\n",
         "[Default Applications]\naudio/x-scpls=vlc.desktop;\n"},
        {"presets of another program, CR LF, a line that is not UTF-8",
         "[Added Associations]\r\napplication/x-tonquill-preset=other.desktop;\r\n# M\xfcller\r\n"
         "[Default Applications]\r\napplication/x-tonquill-preset=other.desktop;\r\naudio/x-scpls=vlc.desktop;\r\n",
         "-",
         "[Added Associations]\r\napplication/x-tonquill-preset=other.desktop;\r\n# M\xfcller\r\n"
         "[Default Applications]\r\napplication/x-tonquill-preset=tonquill-preset.desktop;other.desktop;\r\n"
         "audio/x-scpls=vlc.desktop;\r\n",
         "[Added Associations]\r\napplication/x-tonquill-preset=other.desktop;\r\n# M\xfcller\r\n"
         "[Default Applications]\r\napplication/x-tonquill-preset=other.desktop;\r\naudio/x-scpls=vlc.desktop;\r\n"},
        {"no file", "-", "-", "[Default Applications]\napplication/x-tonquill-preset=tonquill-preset.desktop;\n", ""},
        {"playlists given back from the backup",
         "[Default Applications]\r\naudio/x-scpls=tonquill-playlist.desktop;\r\n[Other]\r\nx=y\r\n", "vlc.desktop\r\n",
         "[Default Applications]\r\napplication/x-tonquill-preset=tonquill-preset.desktop;\r\n"
         "audio/x-scpls=tonquill-playlist.desktop;vlc.desktop;\r\n[Other]\r\nx=y\r\n",
         "[Default Applications]\r\naudio/x-scpls=vlc.desktop;\r\n[Other]\r\nx=y\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XdgHome xdg;
        QDir().mkpath(xdg.config());
        if (c.before != "-")
            ASSERT_TRUE(WriteAll(xdg.mimeapps(), c.before));
        if (c.backupBefore != "-")
            ASSERT_TRUE(WriteAll(xdg.backup(), c.backupBefore));
        for (int run = 0; run < 2; ++run) { // installing again changes nothing
            EXPECT_EQ(xdg.run(true), QStringList());
            EXPECT_EQ(ReadAll(xdg.mimeapps()), c.installed);
        }
        EXPECT_TRUE(QFile::exists(xdg.data() + "/applications/tonquill-preset.desktop"));
        EXPECT_EQ(xdg.run(false), QStringList());
        EXPECT_EQ(ReadAll(xdg.mimeapps()), c.uninstalled);
        EXPECT_FALSE(QFile::exists(xdg.backup()));
        EXPECT_FALSE(QFile::exists(xdg.data() + "/applications/tonquill-preset.desktop"));
        EXPECT_FALSE(QFile::exists(xdg.data() + "/applications/tonquill-playlist.desktop"));
    }
}

namespace {

// Every file below `root`, as paths relative to it, in order.
QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

// The files of the user's folders before, after installing and after
// uninstalling: the playlist entry names its type only while playlists are
// linked to it, and uninstalling leaves none of ours behind.
TEST(Associations, FilesOfTheUserBeforeAndAfter)
{
    const QString preset = QStringLiteral("data/applications/tonquill-preset.desktop");
    const QString playlist = QStringLiteral("data/applications/tonquill-playlist.desktop");
    const QString package = QStringLiteral("data/mime/packages/tonquill-preset.xml");
    const QString mimeapps = QStringLiteral("config/mimeapps.list");
    const QByteArray otherPlayer = "[Default Applications]\naudio/x-scpls=vlc.desktop;\n";
    struct Case {
        const char* what;
        QMap<QString, QByteArray> before; // path below the home -> bytes
        QStringList installed;
        bool playlistType; // the playlist entry lists audio/x-scpls
        QStringList uninstalled;
    } cases[] = {
        {"nothing before", {}, {mimeapps, package, playlist, preset}, false, {}},
        {"playlists belong to another player",
         {{mimeapps, otherPlayer}},
         {mimeapps, package, playlist, preset},
         false,
         {mimeapps}},
        {"playlists already linked",
         {{mimeapps, "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;\n"},
          {"assoc.mcg", "vlc.desktop\n"}},
         {"assoc.mcg", mimeapps, package, playlist, preset},
         true,
         {mimeapps}},
        {"an earlier install's playlist entry claims the type",
         {{playlist, "[Desktop Entry]\nType=Application\nName=Tonquill\nMimeType=audio/x-scpls;\nNoDisplay=true\n"}},
         {mimeapps, package, playlist, preset},
         false,
         {}},
        {"the user's own files stay",
         {{mimeapps, otherPlayer}, {"data/applications/mine.desktop", "x"}, {"data/mime/packages/mine.xml", "y"}},
         {mimeapps, "data/applications/mine.desktop", package, "data/mime/packages/mine.xml", playlist, preset},
         false,
         {mimeapps, "data/applications/mine.desktop", "data/mime/packages/mine.xml"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XdgHome xdg;
        for (auto it = c.before.cbegin(); it != c.before.cend(); ++it) {
            QDir().mkpath(QFileInfo(xdg.home.file(it.key())).absolutePath());
            ASSERT_TRUE(WriteAll(xdg.home.file(it.key()), it.value()));
        }
        EXPECT_EQ(xdg.run(true), QStringList());
        EXPECT_EQ(filesBelow(xdg.home.path()), sorted(c.installed));
        EXPECT_EQ(ReadAll(xdg.home.file(playlist)).contains("MimeType=audio/x-scpls;\n"), c.playlistType);
        EXPECT_EQ(xdg.run(false), QStringList());
        EXPECT_EQ(filesBelow(xdg.home.path()), sorted(c.uninstalled));
        if (c.uninstalled.contains(mimeapps)) {
            EXPECT_EQ(ReadAll(xdg.mimeapps()), otherPlayer);
        }
    }
}

TEST(Associations, WhatCannotBeWrittenIsToldAndNothingPointsAtAMissingClass)
{
    TempFolder elsewhere; // outside the user's folders
    const QByteArray foreign = "[Default Applications]\nx/y=keep.desktop;\n";
    struct Case {
        const char* what;
        std::function<void(XdgHome&)> block;
        QString named; // the file the problem names
    } cases[] = {
        {"mimeapps.list links outside",
         [&](XdgHome& x) {
             WriteAll(elsewhere.file(QStringLiteral("target")), foreign);
             QFile::link(elsewhere.file(QStringLiteral("target")), x.mimeapps());
         },
         "mimeapps.list leads to "},
        {"mimeapps.list is a FIFO", [](XdgHome& x) { ::mkfifo(QFile::encodeName(x.mimeapps()).constData(), 0600); },
         "mimeapps.list is not a regular file"},
        {"the applications folder cannot be made",
         [](XdgHome& x) {
             QDir().mkpath(x.data());
             WriteAll(x.data() + "/applications", "a file");
         },
         "tonquill-preset.desktop could not be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XdgHome xdg;
        QDir().mkpath(xdg.config());
        c.block(xdg);
        const QStringList problems = xdg.run(true);
        ASSERT_FALSE(problems.isEmpty());
        EXPECT_TRUE(problems.join('\n').contains(c.named)) << problems.join('\n').toStdString();
        // The link's target is untouched; no default names a class that is missing.
        EXPECT_EQ(ReadAll(elsewhere.file(QStringLiteral("target"))), foreign);
        NoTools tools;
        XdgClassRegistry registry(tools, xdg.data(), xdg.config());
        if (registry.GetValue(".tvp") == "Tavrix.Preset")
            EXPECT_TRUE(QFile::exists(xdg.data() + "/applications/tonquill-preset.desktop"));
    }

    // A backup that is a link (here to a file not there yet) is not written
    // through: playlists stay with their owner.
    {
        XdgHome xdg;
        QDir().mkpath(xdg.config());
        WriteAll(xdg.mimeapps(), "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;vlc.desktop;\n");
        QFile::link(elsewhere.file(QStringLiteral("created")), xdg.backup());
        const QStringList problems = xdg.run(true);
        EXPECT_TRUE(problems.join('\n').contains(xdg.backup() + " could not be written"))
            << problems.join('\n').toStdString();
        EXPECT_FALSE(QFile::exists(elsewhere.file(QStringLiteral("created"))));
        EXPECT_TRUE(ReadAll(xdg.mimeapps()).contains("audio/x-scpls=vlc.desktop;\n"));
    }

    // A link inside the user's own folders is written through and stays a link.
    XdgHome xdg;
    QDir().mkpath(xdg.config() + "/dotfiles");
    WriteAll(xdg.config() + "/dotfiles/mimeapps.list", foreign);
    QFile::link(xdg.config() + "/dotfiles/mimeapps.list", xdg.mimeapps());
    EXPECT_EQ(xdg.run(true), QStringList());
    EXPECT_TRUE(QFileInfo(xdg.mimeapps()).isSymLink());
    EXPECT_EQ(ReadAll(xdg.config() + "/dotfiles/mimeapps.list"),
              "[Default Applications]\napplication/x-tonquill-preset=tonquill-preset.desktop;\nx/y=keep.desktop;\n");
}
