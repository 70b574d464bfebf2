#include "platform/text.h"
#include "tests/support/eventwait.h"

#include <gtest/gtest.h>

TEST(Text, DecodeUtf8OrWindows1252)
{
    struct Case {
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"plain", QStringLiteral("plain")},
        {"Caf\xC3\xA9", QStringLiteral("Caf\u00e9")},           // UTF-8
        {"Caf\xE9", QStringLiteral("Caf\u00e9")},               // Windows-1252
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
        {u"&#65", u"&#65"},               // no closing semicolon
        {u"&#;&#x;", u"&#;&#x;"},         // no digits
        {u"&#0;", u"&#0;"},               // no character
        {u"&#xD800;", u"&#xD800;"},       // a lone surrogate
        {u"&#x110000;", u"&#x110000;"},   // beyond Unicode
        {u"&#99999999999999;", u"&#99999999999999;"},
        {u"&amp;&#38;", u"&amp;&"},       // named references stay
        {u"a&&#97;", u"a&a"},
        {u"&#", u"&#"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeCharacterReferences(QString::fromUtf16(c.in)), QString::fromUtf16(c.out))
            << QString::fromUtf16(c.in).toStdString();
}
