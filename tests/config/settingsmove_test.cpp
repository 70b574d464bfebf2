// The per-user options of earlier versions ("~/.config/Tonquill/Tonquill.ini")
// moving into the folder of the INI files: every value arrives, the new
// file's own values win, the old file goes only after the new one is
// written, and anything odd is left as it was.
#include "configfixture.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <functional>
#include <sys/stat.h>

namespace {

const QString kApp = QStringLiteral("Tonquill");

QString setting(const char* section, const char* key)
{
    return GetSetting(kApp, QString::fromLatin1(section), QString::fromLatin1(key), QStringLiteral("(none)"));
}

// The bytes of a regular file ("" for anything else, never waiting on a FIFO).
QByteArray bytesOf(const QString& path)
{
    return ReadRegularFile(path, 4 * 1024 * 1024).bytes;
}

} // namespace

TEST_F(ConfigTest, OptionsOfTheOldFolderMoveOnceAndNothingIsLost)
{
    const QByteArray options = "[Registration]\nCleanCuts=0\nCutWindowMs=1500\n"
                               "[Search]\nDirectoryHost=\"a, b\"\nName=caf\xc3\xa9\n";
    using Setup = std::function<void(const QString& oldFile, const QString& newFile)>;
    const auto write = [](const QByteArray& bytes) {
        return Setup([bytes](const QString& oldFile, const QString&) { WriteAll(oldFile, bytes); });
    };
    struct Case {
        const char* what;
        Setup setup;
        SettingsMove result;
        bool oldStays;                            // with its bytes as they were
        bool folderStays;                         // the old folder
        QList<std::array<const char*, 3>> values; // section, key, value in the store afterwards
    } cases[] = {
        {"every value moves, the folder goes",
         write(options),
         SettingsMove::Moved,
         false,
         false,
         {{"Registration", "CleanCuts", "0"},
          {"Registration", "CutWindowMs", "1500"},
          {"Search", "DirectoryHost", "a, b"},
          {"Search", "Name", "caf\xc3\xa9"}}},
        {"a value in both keeps the new one",
         [&](const QString& oldFile, const QString& newFile) {
             WriteAll(oldFile, options);
             WriteAll(newFile, "[Registration]\nCleanCuts=1\nGiveUpMinutes=9\n");
         },
         SettingsMove::Moved,
         false,
         false,
         {{"Registration", "CleanCuts", "1"},
          {"Registration", "CutWindowMs", "1500"},
          {"Registration", "GiveUpMinutes", "9"}}},
        {"another file keeps the old folder",
         [&](const QString& oldFile, const QString&) {
             WriteAll(oldFile, options);
             WriteAll(QFileInfo(oldFile).absolutePath() + "/notes.txt", "mine");
         },
         SettingsMove::Moved,
         false,
         true,
         {{"Registration", "CleanCuts", "0"}}},
        {"an empty old file", write(""), SettingsMove::Moved, false, false, {{"Registration", "CleanCuts", "(none)"}}},
        {"nothing there",
         [](const QString&, const QString&) {},
         SettingsMove::NothingThere,
         false,
         true,
         {{"Registration", "CleanCuts", "(none)"}}},
        {"not UTF-8",
         write("[Registration]\nName=M\xfcller\n"),
         SettingsMove::LeftAlone,
         true,
         true,
         {{"Registration", "Name", "(none)"}}},
        {"NUL bytes",
         write(QByteArray("[Registration]\nCleanCuts=0\n\0\0", 29)),
         SettingsMove::LeftAlone,
         true,
         true,
         {{"Registration", "CleanCuts", "(none)"}}},
        {"larger than a settings file",
         write("[Registration]\nName=" + QByteArray(1024 * 1024, 'x') + "\n"),
         SettingsMove::LeftAlone,
         true,
         true,
         {{"Registration", "Name", "(none)"}}},
        {"a folder in its place",
         [](const QString& oldFile, const QString&) { QDir().mkpath(oldFile); },
         SettingsMove::LeftAlone,
         true,
         true,
         {}},
        {"a FIFO in its place",
         [](const QString& oldFile, const QString&) { ::mkfifo(QFile::encodeName(oldFile).constData(), 0600); },
         SettingsMove::LeftAlone,
         true,
         true,
         {}},
        {"a link to nowhere",
         [](const QString& oldFile, const QString&) { QFile::link(oldFile + ".gone", oldFile); },
         SettingsMove::LeftAlone,
         true,
         true,
         {}},
        {"the new file is odd",
         [&](const QString& oldFile, const QString& newFile) {
             WriteAll(oldFile, options);
             WriteAll(newFile, "[Registration]\nName=M\xfcller\n");
         },
         SettingsMove::LeftAlone,
         true,
         true,
         {}},
        {"the new folder cannot be made",
         [&](const QString& oldFile, const QString& newFile) {
             WriteAll(oldFile, options);
             QDir().rmdir(QFileInfo(newFile).absolutePath());
             WriteAll(QFileInfo(newFile).absolutePath(), "a file");
         },
         SettingsMove::NotWritten,
         true,
         true,
         {}},
        {"the old folder is a link to the new one (or the same on a file system ignoring case)",
         [&](const QString& oldFile, const QString& newFile) {
             const QString oldFolder = QFileInfo(oldFile).absolutePath();
             QDir(oldFolder).removeRecursively();
             QFile::link(QFileInfo(newFile).absolutePath(), oldFolder);
             WriteAll(oldFile, "[Registration]\nCleanCuts=0\n");
         },
         SettingsMove::Copied,
         true,
         true,
         {{"Registration", "CleanCuts", "0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder config;
        const QString oldFolder = config.path() + "Tonquill";
        const QString oldFile = oldFolder + "/Tonquill.ini";
        const QString newFolder = config.path() + "tonquill";
        const QString newFile = newFolder + "/Tonquill-user.ini";
        QDir().mkpath(oldFolder);
        QDir().mkpath(newFolder);
        c.setup(oldFile, newFile);
        const QByteArray oldBefore = bytesOf(oldFile);
        const QByteArray newBefore = bytesOf(newFile);

        EXPECT_EQ(MoveUserSettings(oldFile, newFile), c.result);
        const bool oldThere = QFileInfo(oldFile).exists() || QFileInfo(oldFile).isSymLink();
        EXPECT_EQ(oldThere, c.oldStays);
        EXPECT_EQ(bytesOf(oldFile), c.oldStays ? oldBefore : QByteArray());
        EXPECT_EQ(QFileInfo(oldFolder).exists(), c.folderStays);
        if (c.result == SettingsMove::LeftAlone || c.result == SettingsMove::NotWritten) {
            EXPECT_EQ(bytesOf(newFile), newBefore); // nothing changed
        }
        SetUserSettingsFolder(newFolder);
        for (const auto& v : c.values)
            EXPECT_EQ(setting(v[0], v[1]), QString::fromUtf8(v[2])) << v[0] << "/" << v[1];
        // A second start finds nothing more to move and changes nothing.
        const QByteArray newAfter = bytesOf(newFile);
        if (c.result == SettingsMove::Moved) {
            EXPECT_EQ(MoveUserSettings(oldFile, newFile), SettingsMove::NothingThere);
        }
        EXPECT_EQ(bytesOf(newFile), newAfter);
    }
}

// Only a store in the user's own configuration takes the old options: with
// TONQUILL_HOME or a folder of the program's own they stay where they are.
TEST_F(ConfigTest, OnlyTheUsersOwnStoreTakesTheOldOptions)
{
    const QByteArray hadConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray hadHome = qgetenv("TONQUILL_HOME");
    struct Case {
        const char* what;
        const char* programFolder; // below the temporary folder; "" for none
        const char* tonquillHome;  // below the temporary folder; "" for unset
        const char* store;         // where the options are kept
        bool moved;
    } cases[] = {
        {"the user's folder", "config/tonquill", "", "config/tonquill/Tonquill-user.ini", true},
        {"TONQUILL_HOME", "", "home", "home/Tonquill-user.ini", false},
        {"a portable folder", "portable", "", "portable/Tonquill-user.ini", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const QString oldFile = dir.path() + "config/Tonquill/Tonquill.ini";
        QDir().mkpath(dir.path() + "config/Tonquill");
        WriteAll(oldFile, "[Registration]\nCutWindowMs=1500\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "config"));
        if (*c.tonquillHome)
            qputenv("TONQUILL_HOME", QFile::encodeName(dir.path() + c.tonquillHome));
        else
            qunsetenv("TONQUILL_HOME");
        ProgramFolders::SetOverride(*c.programFolder ? dir.path() + c.programFolder : QString());
        SetUserSettingsFolder(QString());

        EXPECT_EQ(UserSettingsFile(kApp), dir.path() + c.store);
        EXPECT_EQ(CutWindowMs(), c.moved ? 1500 : 2000);
        EXPECT_EQ(QFile::exists(oldFile), !c.moved);
    }
    if (hadConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", hadConfig);
    if (hadHome.isEmpty())
        qunsetenv("TONQUILL_HOME");
    else
        qputenv("TONQUILL_HOME", hadHome);
}
