// The desktop's copies of covers: one file per picture, found again by its
// content, the folder kept under its limit oldest first.
#include "recorder/covercache.h"
#include "tests/support/eventwait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

CoverPicture picture(char fill, int size, const char* type = "image/jpeg")
{
    CoverPicture p;
    p.data = QByteArray("\xFF\xD8\xFF", 3) + QByteArray(size - 3, fill);
    p.mimeType = type;
    return p;
}

void age(const QString& path, int secondsAgo)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime));
}

TEST(CoverCache, OneFilePerPictureNamedByItsContent)
{
    TempFolder dir;
    const QString folder = dir.file(QStringLiteral("covers"));
    const QString a = covercache::Store(folder, picture('a', 100));
    const QString again = covercache::Store(folder, picture('a', 100));
    const QString png = covercache::Store(folder, picture('a', 100, "image/png"));
    const QString b = covercache::Store(folder, picture('b', 100));
    EXPECT_FALSE(a.isEmpty());
    EXPECT_EQ(again, a);
    EXPECT_TRUE(a.endsWith(QLatin1String(".jpg")));
    EXPECT_TRUE(png.endsWith(QLatin1String(".png")));
    EXPECT_NE(b, a);
    EXPECT_EQ(ReadAll(a), picture('a', 100).data);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(covercache::Store(folder, CoverPicture()).isEmpty());
}

struct CleanCase {
    const char* what;
    std::vector<int> ages; // seconds ago, of pictures of 1000 bytes 'a', 'b', ...
    qint64 limit;
    const char* left; // the pictures left, by their letters
};

TEST(CoverCache, CleaningRemovesTheOldestFirst)
{
    const CleanCase cases[] = {
        {"under the limit", {30, 20, 10}, 3000, "abc"},
        {"one over", {30, 20, 10}, 2999, "bc"},
        {"the oldest whatever their order", {10, 30, 20}, 2000, "ac"},
        {"to nothing", {10, 20}, 0, ""},
        {"an empty folder", {}, 0, ""},
    };
    for (const CleanCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        std::vector<QString> paths;
        for (size_t i = 0; i < c.ages.size(); ++i) {
            paths.push_back(covercache::Store(dir.path(), picture(char('a' + i), 1000), 1 << 30));
            age(paths.back(), c.ages[i]);
        }
        covercache::Clean(dir.path(), c.limit);
        QString left;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (QFile::exists(paths[i]))
                left += QChar('a' + int(i));
        }
        EXPECT_EQ(left, QString::fromLatin1(c.left));
    }
}

TEST(CoverCache, ANewCopyIsKeptAndTheFolderStaysUnderItsLimit)
{
    TempFolder dir;
    QString last;
    for (int i = 0; i < 20; ++i) {
        last = covercache::Store(dir.path(), picture(char('a' + i), 1000), 5000);
        ASSERT_FALSE(last.isEmpty());
        age(last, 100 - i);
    }
    qint64 total = 0;
    for (const QFileInfo& f : QDir(dir.path()).entryInfoList(QDir::Files))
        total += f.size();
    EXPECT_LE(total, 5000);
    EXPECT_TRUE(QFile::exists(last));
    // A copy larger than the limit on its own is still kept: it is in use.
    const QString big = covercache::Store(dir.path(), picture('z', 8000), 5000);
    EXPECT_TRUE(QFile::exists(big));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

} // namespace
