#include "platform/text.h"
#include "tests/support/eventwait.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(Text, DecodeUtf8OrWindows1252)
{
    struct Case {
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"plain", QStringLiteral("plain")},
        {"Caf\xC3\xA9", QStringLiteral("Caf\u00e9")}, // UTF-8
        {"Caf\xE9", QStringLiteral("Caf\u00e9")},     // Windows-1252
        {"\x93quoted\x94 \x80", QStringLiteral("\u201cquoted\u201d \u20ac")},
        {"\xC3", QStringLiteral("\u00c3")},                     // truncated UTF-8 sequence
        {"\xED\xA0\x80", QStringLiteral("\u00ed\u00a0\u20ac")}, // encoded surrogate is not UTF-8
        {"\xF0\x9F\x8E\xB5", QString::fromUtf8("\xF0\x9F\x8E\xB5")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeText(c.bytes), c.expected) << c.bytes.toHex().constData();
}

TEST(Text, Latin1LossyEncoding)
{
    EXPECT_EQ(EncodeLatin1Lossy(QStringLiteral("Caf\u00e9")), QByteArray("Caf\xE9"));
    EXPECT_EQ(EncodeLatin1Lossy(QStringLiteral("\u20ac5")), QByteArray("?5"));
    EXPECT_EQ(EncodeLatin1Lossy(QString::fromUtf8("a\xF0\x9F\x8E\xB5z")), QByteArray("a?z"));
}

TEST(Text, SplitLinesAcceptsEveryLineEnd)
{
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitLines(QString()), QStringList{});
}

TEST(Text, WriteThenReadRoundTripWithCrLf)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("t.txt"));
    ASSERT_TRUE(WriteTextLines(path, {QStringLiteral("one"), QStringLiteral("d\u00e9j\u00e0")}));
    EXPECT_EQ(ReadAll(path), QByteArray("one\r\nd\xC3\xA9j\xC3\xA0\r\n"));
    QString text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(SplitLines(text), (QStringList{"one", "d\u00e9j\u00e0"}));
    EXPECT_FALSE(ReadTextFile(dir.file(QStringLiteral("missing")), text));
    EXPECT_FALSE(WriteTextLines(dir.file(QStringLiteral("no/such/folder.txt")), {}));
}

TEST(Text, NumericCharacterReferencesAreDecoded)
{
    const struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"Plain & simple", u"Plain & simple"},
        {u"&#1041;&#1080;-2", u"\u0411\u0438-2"},
        {u"&#x41;&#X42;&#x6d4b;", u"AB\u6d4b"},
        {u"&#x1F3B5; note", u"\U0001F3B5 note"},
        {u"Caf&#233;", u"Caf\u00e9"},
        {u"&#65", u"&#65"},             // no closing semicolon
        {u"&#;&#x;", u"&#;&#x;"},       // no digits
        {u"&#0;", u"&#0;"},             // no character
        {u"&#xD800;", u"&#xD800;"},     // a lone surrogate
        {u"&#x110000;", u"&#x110000;"}, // beyond Unicode
        {u"&#99999999999999;", u"&#99999999999999;"},
        {u"&amp;&#38;", u"&amp;&"}, // named references stay
        {u"a&&#97;", u"a&a"},
        {u"&#", u"&#"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeCharacterReferences(QString::fromUtf16(c.in)), QString::fromUtf16(c.out))
            << QString::fromUtf16(c.in).toStdString();
}

TEST(Text, EachLineIsDecodedOnItsOwn)
{
    // One stray Windows-1252 byte changes only its own line.
    struct Case {
        const char* what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"mixed lines, CR LF kept", "Caf\xc3\xa9\r\nM\xfcller\r\n\xe6\x97\xa5\xe6\x9c\xac\r\n",
         QString::fromUtf8("Café\r\nMüller\r\n日本\r\n")},
        {"LF and CR", "\x93q\x94\n\xc3\xa9\r\xe9", QString::fromUtf8("“q”\né\ré")},
        {"a sequence cut by a line end is not UTF-8", "\xc3\n\xa9", QString::fromUtf8("Ã\n©")},
        {"all UTF-8", "\xc3\xa9\n\xc3\xa9", QString::fromUtf8("é\né")},
        // A mark inside the text is a character like any other.
        {"a mark on a line",
         "\xef\xbb\xbf\xef\xbb\xbf"
         "a\n\xef\xbb\xbf\xc3\xa9",
         QChar(0xFEFF) + QString::fromUtf8("a\n\ufeffé")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeText(c.bytes), c.text);
        EXPECT_EQ(DecodeLines(c.bytes), SplitLines(c.text));
    }
}

TEST(Text, DecodeLinesCutsLongLinesAtACharacterBoundary)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        qsizetype max;
        QStringList lines;
        qsizetype shortened;
    } cases[] = {
        {"at the bound", "abcd\r\nxy", 4, {"abcd", "xy"}, 0},
        {"one byte over", "abcde\r\nxy", 4, {"abcd", "xy"}, 1},
        {"inside a UTF-8 sequence", "ab\xe6\x97\xa5z\nq", 4, {"ab", "q"}, 1},
        {"after a whole sequence", "ab\xe6\x97\xa5z\n", 5, {QString::fromUtf8("ab日")}, 1},
        // A Windows-1252 line is measured as it will be written back: in UTF-8.
        {"Windows-1252 past the bound", "\xe9\xe9\xe9\xe9\xe9\n", 3, {QString::fromUtf8("é")}, 1},
        {"Windows-1252 within the bound but not in UTF-8", "\xe9\xe9\n", 3, {QString::fromUtf8("é")}, 1},
        {"Windows-1252 that fits", "\x80\n", 3, {QString::fromUtf8("€")}, 0},
        {"byte order mark dropped, not counted",
         "\xef\xbb\xbf"
         "abc\n",
         3,
         {"abc"},
         0},
        {"only the file's first mark is dropped",
         "\xef\xbb\xbf\xef\xbb\xbf"
         "ab\n",
         8,
         {QChar(0xFEFF) + QStringLiteral("ab")},
         0},
        {"no bound", QByteArray(100, 'a'), 0, {QString(100, 'a')}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qsizetype shortened = -1;
        EXPECT_EQ(DecodeLines(c.bytes, c.max, &shortened), c.lines);
        EXPECT_EQ(shortened, c.shortened);
    }
    // A 10 MB line costs no more than its bound.
    const QByteArray huge = QByteArray("Station\r\n") + QByteArray(10'000'000, 'x') + "\r\nhttp://h/a.pls\r\n";
    qsizetype shortened = 0;
    const QStringList lines = DecodeLines(huge, 8192, &shortened);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1].size(), 8192);
    EXPECT_EQ(shortened, 1);
}

TEST(Text, OnlyRegularFilesWithinTheBoundAreRead)
{
    TempFolder dir;
    const QString regular = dir.file(QStringLiteral("regular"));
    ASSERT_TRUE(WriteAll(regular, QByteArray(1024, 'a')));
    const QString fifo = dir.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.file(QStringLiteral("zero"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString linked = dir.file(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(regular, linked));
    struct Case {
        QString path;
        qint64 max;
        FileRead::Status status;
        const char* problem;
    } cases[] = {
        {regular, 1024, FileRead::Read, ""},
        {linked, 1024, FileRead::Read, ""},
        {regular, 1023, FileRead::TooLarge, "is larger than 1023 bytes"},
        {dir.file(QStringLiteral("missing")), 1024, FileRead::Missing, "does not exist"},
        {dir.path(), 1024, FileRead::NotRegular, "is a folder"},
        {fifo, 1024, FileRead::NotRegular, "is not a regular file"}, // does not wait for a writer
        {zero, 1024 * 1024, FileRead::NotRegular, "is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const FileRead read = ReadRegularFile(c.path, c.max);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.problem, QString::fromLatin1(c.problem));
        EXPECT_EQ(read.bytes.size(), read.ok() ? 1024 : 0);
    }
    const QString big = dir.file(QStringLiteral("big"));
    ASSERT_TRUE(WriteAll(big, QByteArray(1024 * 1024 + 1, 'b')));
    EXPECT_EQ(ReadRegularFile(big, 1024 * 1024).problem, QStringLiteral("is larger than 1 MiB"));
    EXPECT_EQ(ReadRegularFile(big, 2048).problem, QStringLiteral("is larger than 2 KiB"));
}
