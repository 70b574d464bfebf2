// The station list file on its own: the pairs of lines, the line ends and
// encodings it is read in, and the safe rewrite.
#include "config/stationfile.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

StationEntry st(const char* name, const char* url)
{
    return {QString::fromUtf8(name), QString::fromUtf8(url)};
}

struct ReadCase {
    const char* what;
    QByteArray bytes;
    QList<StationEntry> expected;
};

class StationFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(StationFileRead, GivesTheStationsInOrder)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    ASSERT_TRUE(WriteAll(path, GetParam().bytes));
    QList<StationEntry> stations{st("stale", "stale")};
    ASSERT_TRUE(ReadStationFile(path, stations));
    EXPECT_EQ(stations, GetParam().expected);
}

const QList<StationEntry> kTwo{st("A", "http://h/a.pls"), st("B", "http://h/b.m3u")};

INSTANTIATE_TEST_SUITE_P(
    Cases, StationFileRead,
    ::testing::Values(ReadCase{"crlf", "A\r\nhttp://h/a.pls\r\nB\r\nhttp://h/b.m3u\r\n", kTwo},
                      ReadCase{"lf", "A\nhttp://h/a.pls\nB\nhttp://h/b.m3u\n", kTwo},
                      ReadCase{"cr", "A\rhttp://h/a.pls\rB\rhttp://h/b.m3u\r", kTwo},
                      ReadCase{"no final end", "A\r\nhttp://h/a.pls\r\nB\r\nhttp://h/b.m3u", kTwo},
                      ReadCase{"empty", "", {}},
                      // A last name without its address is kept with none.
                      ReadCase{"odd", "A\r\nhttp://h/a.pls\r\nB\r\n", {st("A", "http://h/a.pls"), st("B", "")}},
                      ReadCase{"one line", "Lonely", {st("Lonely", "")}},
                      ReadCase{"empty lines kept as pairs", "\r\n\r\nC\r\nu\r\n", {st("", ""), st("C", "u")}},
                      ReadCase{"windows-1252",
                               "Caf\xe9 \x93Jazz\x94\r\nhttp://h/c.pls\r\n",
                               {st("Caf\xc3\xa9 \xe2\x80\x9cJazz\xe2\x80\x9d", "http://h/c.pls")}},
                      ReadCase{"utf-8", "Caf\xc3\xa9\nhttp://h/c.pls\n", {st("Caf\xc3\xa9", "http://h/c.pls")}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(StationFile, MissingOrUnreadableGivesAnEmptyList)
{
    TempFolder dir;
    QList<StationEntry> stations{st("x", "y")};
    EXPECT_FALSE(ReadStationFile(dir.file(QStringLiteral("none.txt")), stations));
    EXPECT_TRUE(stations.isEmpty());
    // A folder or a FIFO in the file's place is not read (nor waited on),
    // and the problem says which.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file(QStringLiteral("fifo"))).constData(), 0600), 0);
    const struct {
        QString path, problem;
    } places[] = {{dir.path(), "is a folder"}, {dir.file(QStringLiteral("fifo")), "is not a regular file"}};
    for (const auto& p : places) {
        stations = {st("x", "y")};
        QString problem;
        EXPECT_FALSE(ReadStationFile(p.path, stations, &problem));
        EXPECT_TRUE(stations.isEmpty());
        EXPECT_EQ(problem, p.problem);
    }
}

// A line up to the limit comes back whole; a longer one is cut to the limit
// and counted.
TEST(StationFile, LinesAreCutOnlyPastTheLimit)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    const struct {
        qsizetype bytes, kept, shortened;
    } cases[] = {{kStationLineMaxBytes, kStationLineMaxBytes, 0}, {kStationLineMaxBytes + 1, kStationLineMaxBytes, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAll(path, "N\r\nhttp://h/" + QByteArray(c.bytes - 9, 'a') + "\r\nM\r\nu\r\n"));
        QList<StationEntry> stations;
        qsizetype shortened = -1;
        ASSERT_TRUE(ReadStationFile(path, stations, nullptr, &shortened));
        ASSERT_EQ(stations.size(), 2) << c.bytes;
        EXPECT_EQ(stations.at(0).url.size(), c.kept);
        EXPECT_EQ(stations.at(1), st("M", "u"));
        EXPECT_EQ(shortened, c.shortened);
    }
}

TEST(StationFile, WritesPairsInUtf8WithCrLf)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    ASSERT_TRUE(WriteStationFile(path, {st("A", "http://h/a.pls"), st("Caf\xc3\xa9", "http://h/b.m3u")}));
    EXPECT_EQ(ReadAll(path), QByteArray("A\r\nhttp://h/a.pls\r\nCaf\xc3\xa9\r\nhttp://h/b.m3u\r\n"));
    ASSERT_TRUE(WriteStationFile(path, {}));
    EXPECT_EQ(ReadAll(path), QByteArray());
}

TEST(StationFile, LineBreaksInsideAFieldDoNotShiftThePairs)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    ASSERT_TRUE(WriteStationFile(path, {st("two\nlines", "u1\r"), st("B", "u2")}));
    QList<StationEntry> back;
    ASSERT_TRUE(ReadStationFile(path, back));
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back.at(1), st("B", "u2"));

    // Reading drops a byte order mark at the start, not one that begins
    // the first name.
    const QList<StationEntry> marked{st("\xef\xbb\xbfMarked", "u")};
    ASSERT_TRUE(WriteStationFile(path, marked));
    ASSERT_TRUE(ReadStationFile(path, back));
    EXPECT_EQ(back, marked);
}

TEST(StationFile, AFailedWriteKeepsTheOldFile)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    ASSERT_TRUE(WriteAll(path, "Old\r\nhttp://h/old.pls\r\n"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool written = WriteStationFile(path, {st("New", "u")});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_EQ(ReadAll(path), QByteArray("Old\r\nhttp://h/old.pls\r\n"));
}

TEST(StationFile, AHundredThousandStationsRoundTrip)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("Playlist.txt"));
    QList<StationEntry> many;
    for (int i = 0; i < 100000; ++i)
        many.append({QStringLiteral("Station %1").arg(i), QStringLiteral("http://h/%1.pls").arg(i)});
    ASSERT_TRUE(WriteStationFile(path, many));
    QList<StationEntry> back;
    ASSERT_TRUE(ReadStationFile(path, back));
    EXPECT_EQ(back, many);
}

} // namespace
