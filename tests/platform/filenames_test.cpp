#include "platform/filenames.h"
#include "tests/support/eventwait.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
qsizetype bytesOf(const QString& s)
{
    return QFile::encodeName(s).size();
}
const QString kCjk = QString::fromUtf8("\xE6\x97\xA5");           // 日, 3 bytes
const QString kEmoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");     // 🎵, a surrogate pair, 4 bytes
const QString kAcute = QString::fromUtf8("\xCC\x81");            // combining acute, 2 bytes
}  // namespace

TEST(FitFileName, CutsAtCharacterBoundariesWithinTheByteLimit)
{
    const struct {
        const char* what;
        QString name;
        qsizetype maxBytes, reserve;
        QString fitted;
        bool fits = true;
    } cases[] = {
        {"fits", "Artist - Song.mp3", 255, 16, "Artist - Song.mp3"},
        {"exactly at the limit", QString(235, 'a') + ".mp3", 255, 16, QString(235, 'a') + ".mp3"},
        {"one byte over", QString(236, 'a') + ".mp3", 255, 16, QString(235, 'a') + ".mp3"},
        {"300 Latin characters", QString(296, 'x') + ".mp3", 255, 16, QString(235, 'x') + ".mp3"},
        {"100 CJK characters", kCjk.repeated(100) + ".mp3", 255, 16, kCjk.repeated(78) + ".mp3"},
        {"no half emoji", "ab" + kEmoji.repeated(3) + ".aac", 13, 0, "ab" + kEmoji + ".aac"},
        {"a combining mark stays with its letter", "abc" + QString("e" + kAcute).repeated(3) + ".mp3", 12, 0,
         "abce" + kAcute + ".mp3"},
        {"ends in combining marks", "ab" + QString("e") + kAcute + kAcute + kAcute + ".mp3", 10, 0, "ab.mp3"},
        {"spaces and dots the cut leaves go", "Artist - Song.mp3", 13, 0, "Artist -.mp3"},
        {"no extension", QString(20, 'n'), 10, 0, QString(10, 'n')},
        {"a long suffix is no extension", "a." + QString(20, 'z'), 10, 0, "a." + QString(8, 'z')},
        {"no room for the extension", "abcdefgh.mp3", 4, 0, "abcd"},
        {"nothing fits: one character", kCjk + kCjk + ".mp3", 6, 0, kCjk + ".mp3", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString fitted = FitFileName(c.name, c.maxBytes, c.reserve);
        EXPECT_EQ(fitted, c.fitted);
        if (c.fits)
            EXPECT_LE(bytesOf(fitted), c.maxBytes - c.reserve);
        EXPECT_EQ(QString::fromUtf8(QFile::encodeName(fitted)), fitted);  // whole characters only
    }
}

TEST(LeftAtCharacterBoundary, NeverSplitsACharacter)
{
    const struct {
        QString text;
        qsizetype units;
        QString left;
    } cases[] = {
        {"short", 100, "short"},
        {QString(99, 'a') + kEmoji, 100, QString(99, 'a')},
        {QString(98, 'a') + kEmoji, 100, QString(98, 'a') + kEmoji},
        {"abce" + kAcute + "f", 4, "abc"},
        {"abce" + kAcute + "f", 5, "abce" + kAcute},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeftAtCharacterBoundary(c.text, c.units), c.left) << c.text.toStdString();
}

TEST(RemoveInvisibleMarks, TakesOutBidiZeroWidthAndBom)
{
    const struct {
        QString in, out;
    } cases[] = {
        {QString::fromUtf8("\u202Eexe.mp3"), "exe.mp3"},
        {QString::fromUtf8("\uFEFFStation\u200B\u200C\u200D\u2060"), "Station"},
        {QString::fromUtf8("a\u200Eb\u200Fc\u061Cd\u202Ae\u202Bf\u202Cg\u202Dh\u2066i\u2067j\u2068k\u2069"),
         "abcdefghijk"},
        {QString::fromUtf8("Caf\u00E9 \u65E5\u672C"), QString::fromUtf8("Caf\u00E9 \u65E5\u672C")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveInvisibleMarks(c.in), c.out) << c.in.toStdString();
}

TEST(FileNameLimit, AsksTheFolderOrTheSeam)
{
    TempFolder dir;
    EXPECT_EQ(FileNameLimit(dir.path()), 255);  // ext4 and tmpfs alike
    EXPECT_EQ(FileNameLimit(dir.file(QStringLiteral("not/made/yet"))), 255);
    QString asked;
    SetFileNameLimitSource([&](const QString& folder) {
        asked = folder;
        return 40L;
    });
    EXPECT_EQ(FileNameLimit(dir.path()), 40);
    EXPECT_EQ(asked, dir.path());
    SetFileNameLimitSource([](const QString&) { return -1L; });
    EXPECT_EQ(FileNameLimit(dir.path()), 255);  // the system does not say
    SetFileNameLimitSource({});
}

// What a file name keeps of a title: never a leading dot or space (a hidden
// file, ".", ".."), never a control character (C0, DEL, C1) or a line or
// paragraph separator; "" when nothing is left, which CleanFileName gives as "_".
TEST(FileNameText, NoHiddenNamesNoControlsNoSeparators)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"/", ""},
        {".", ""},
        {"..", ""},
        {"...", ""},
        {"../../x", "x"},
        {" .x", "x"},
        {". . .x.y", "x.y"},
        {"x.", "x."}, // a dot inside or at the end hides nothing
        {"a.b", "a.b"},
        {QString(QChar(0x01)) + "a" + QChar(0x1F) + "b" + QChar(0x7F), "ab"},
        {QString("a") + QChar(0x80) + "b" + QChar(0x85) + "c" + QChar(0x9B) + "31m" + QChar(0x9F), "abc31m"},
        {QString("no") + QChar(0xA0) + "break", QString("no") + QChar(0xA0) + "break"}, // past C1: it stays
        {QString("l") + QChar(0x2028) + "p" + QChar(0x2029), "lp"},
        {QString(QChar(0x2027)) + QChar(0x202F), QString(QChar(0x2027)) + QChar(0x202F)}, // beside the separators
        {QString(QChar(0x2028)) + ".x", "x"},
        {QString(QChar(0x200B)) + ".x", "x"}, // an invisible mark before a dot
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNameText(c.in), c.out) << c.in.toStdString();
        EXPECT_EQ(CleanFileName(c.in), c.out.isEmpty() ? QStringLiteral("_") : c.out) << c.in.toStdString();
    }
}
