// The folders the library walks: the preset's save line and the list made of
// the default folder, the panel's folder and the presets' folders.
#include "ui/library/libraryfolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST(LibraryFolders, APresetsSaveLineIsItsFourthAfterTheComments)
{
    const struct Case {
        const char* text;
        const char* folder;
    } cases[] = {
        {"Station\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n/home/u/Radio/\r\n0\r\n0\r\n", "/home/u/Radio/"},
        {"Station\nhttp://x/a.pls\nSONGNAMEONLY\n/home/u/Radio\n0\n0\n", "/home/u/Radio"},
        {"# a comment\r\n  another\r\nS\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n/srv/rec\r\n0\r\n0\r\n", "/srv/rec"},
        {"Station\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n%DEFDIR%\r\n0\r\n0\r\n", ""},
        // A file that ends before the line names no folder.
        {"Station\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n", ""},
        {"", ""},
        {"# only a comment\r\n", ""},
        // Windows-1252 where the text is not UTF-8.
        {"S\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n/home/u/M\xfcsik\r\n0\r\n0\r\n", "/home/u/M\xc3\xbcsik"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PresetSaveFolder(QByteArrayView(c.text)), QString::fromUtf8(c.folder)) << c.text;
}

TEST(LibraryFolders, EachExistingFolderOnceInTheOrderFound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir::cleanPath(dir.path());
    QDir(root).mkpath(QStringLiteral("default"));
    QDir(root).mkpath(QStringLiteral("panel"));
    QDir(root).mkpath(QStringLiteral("rock"));
    QDir(root).mkpath(QStringLiteral("Presets"));
    const QString presets = root + QStringLiteral("/Presets");
    const auto preset = [&](const char* name, const QString& folder) {
        return writeFile(presets + QLatin1Char('/') + QLatin1String(name),
                         "S\r\nhttp://x/a.pls\r\nSONGNAMEONLY\r\n" + folder.toUtf8() + "\r\n0\r\n0\r\n");
    };
    ASSERT_TRUE(preset("a.tvp", root + QStringLiteral("/rock/")));
    ASSERT_TRUE(preset("b.tvp", QStringLiteral("%DEFDIR%")));
    ASSERT_TRUE(preset("c.tvp", root + QStringLiteral("/gone")));         // no such folder
    ASSERT_TRUE(preset("d.tvp", root + QStringLiteral("/panel/")));       // the panel's again
    ASSERT_TRUE(preset("e.txt", root + QStringLiteral("/default/")));     // not a preset
    ASSERT_TRUE(preset("f.tvp", root + QStringLiteral("/rock/../rock"))); // the same, spelt otherwise

    const struct Case {
        QString defaultFolder, panelFolder, presetsFolder;
        QStringList expected;
    } cases[] = {
        {root + "/default", root + "/panel/", presets, {root + "/default", root + "/panel", root + "/rock"}},
        {root + "/default/", root + "/default", QString(), {root + "/default"}},
        {QString(), QString(), presets, {root + "/rock", root + "/panel"}},
        {root + "/missing", QString(), root + "/no presets", {}},
        {QStringLiteral("  "), root + "/rock", presets, {root + "/rock", root + "/panel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defaultFolder.toStdString() + " | " + c.panelFolder.toStdString());
        EXPECT_EQ(LibraryFolders(c.defaultFolder, c.panelFolder, c.presetsFolder), c.expected);
    }
}
