// The class-registration keys on XDG files when the user's folders are in
// the way: whatever cannot be written is skipped, nothing else is touched.
#include "platform/xdgclassregistry.h"

#include "tests/support/eventwait.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

namespace {
class NoTools : public ICommandRunner {
public:
    CommandResult Run(const QString&, const QStringList&, const QByteArray&) override { return {}; }
};
}  // namespace

TEST(XdgClassRegistry, BlockedFoldersAreSkippedAndTheRestIsWritten)
{
    TempFolder home;
    // A file where the applications folder belongs, a folder where
    // mimeapps.list belongs (unwritable even for root).
    QDir().mkpath(home.path() + "data");
    WriteAll(home.path() + "data/applications", "not a folder");
    QDir().mkpath(home.path() + "config/mimeapps.list");
    NoTools tools;
    XdgClassRegistry registry(tools, home.path() + "data", home.path() + "config");

    EXPECT_FALSE(registry.SetValue(QStringLiteral("Tavrix.Preset\\shell\\open\\command"), QStringLiteral("x %f")));
    EXPECT_EQ(registry.GetValue(QStringLiteral("Tavrix.Preset\\shell\\open\\command")), "");
    EXPECT_FALSE(registry.SetValue(QStringLiteral(".tvp"), QStringLiteral("Tavrix.Preset")));
    EXPECT_EQ(registry.GetValue(QStringLiteral(".tvp")), "");
    EXPECT_FALSE(registry.DeleteKey(QStringLiteral("Tavrix.Preset")));
    EXPECT_FALSE(registry.SetValue(QStringLiteral("HKLM\\Software"), QStringLiteral("x")));

    // The MIME package went in beside them; nothing else was written.
    QStringList written;
    for (QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        written << it.next().mid(home.path().size());
    written.sort();
    EXPECT_EQ(written, (QStringList{"data/applications", "data/mime/packages/tonquill-preset.xml"}));
}
