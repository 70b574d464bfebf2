#include "platform/folders.h"
#include "tests/support/eventwait.h"

#include <gtest/gtest.h>

TEST(ProgramFolders, HomeVariableHoldsEverything)
{
    TempFolder dir;
    qputenv("TONQUILL_HOME", dir.path().toUtf8());
    EXPECT_EQ(ProgramFolders::ConfigFolder(), dir.path());
    EXPECT_EQ(ProgramFolders::DataFolder(), dir.path());
    qunsetenv("TONQUILL_HOME");
}

TEST(ProgramFolders, OverrideWinsAndEndsWithSlash)
{
    TempFolder dir;
    QString p = dir.path();
    p.chop(1);
    ProgramFolders::SetOverride(p);
    EXPECT_EQ(ProgramFolders::ConfigFolder(), p + QLatin1Char('/'));
    ProgramFolders::SetOverride(QString());
}

TEST(Headless, ForcedByVariable)
{
    qputenv("TONQUILL_HEADLESS", "1");
    EXPECT_TRUE(IsHeadless());
    qunsetenv("TONQUILL_HEADLESS");
}
