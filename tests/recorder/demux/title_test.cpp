#include "recorder/icydemuxer.h"

#include <gtest/gtest.h>

namespace {

struct TitleCase {
    QByteArray text;
    bool contains;
    QByteArray title;
};

TEST(StreamTitle, Fixtures)
{
    const TitleCase cases[] = {
        {"StreamTitle='Artist - Song';", true, "Artist - Song"},
        {"StreamTitle='Artist - Song';StreamUrl='http://x/';", true, "Artist - Song"},
        {QByteArray("StreamTitle='Guns N' Roses - Paradise';\0\0\0", 42), true, "Guns N' Roses - Paradise"},
        {"StreamTitle='O'Brien & The Testers - Don't Stop Me Now (It's Live)';StreamUrl='';", true,
         "O'Brien & The Testers - Don't Stop Me Now (It's Live)"},
        {"StreamTitle='It's';StreamUrl='x';", true, "It's"},
        {QByteArray("StreamTitle='Rock 'n' Roll'\0\0\0", 30), true, "Rock 'n' Roll"},
        {QByteArray("StreamTitle='O'Brien\0\0\0", 23), true, "O"},
        {"StreamTitle=''';", true, "'"},
        {"StreamTitle='a';b';", true, "a"},
        {"StreamUrl='x';StreamTitle='No quote", true, "No quote"},
        {"STREAMTITLE='Loud';", true, "Loud"},
        {"streamtitle='quiet';", true, "quiet"},
        {"StreamUrl='u';StreamTitle='Second field first';", true, "Second field first"},
        {"StreamTitle='';", true, ""},
        {"StreamTitle='No end", true, "No end"},
        {QByteArray("StreamTitle='Padded\0\0\0\0\0\0", 25), true, "Padded"},
        {QByteArray("StreamTitle='Mid\0dle\0\0", 22), true, QByteArray("Mid\0dle", 7)},
        {"StreamTitle='a;b';", true, "a;b"},
        {"StreamTitle='a;b", true, "a;b"},
        {"StreamTitle=\"double\";", false, ""},
        {"StreamUrl='only';", false, ""},
        {"", false, ""},
        {"StreamTitle='", true, ""},
        {"StreamTitle='Caf\xc3\xa9 - \xe2\x99\xab';", true, "Caf\xc3\xa9 - \xe2\x99\xab"},
        {"StreamTitle='\xe9t\xe9';", true, "\xe9t\xe9"},
    };
    for (const TitleCase& c : cases) {
        EXPECT_EQ(ContainsStreamTitle(c.text), c.contains) << c.text.constData();
        EXPECT_EQ(ParseStreamTitle(c.text), c.title) << c.text.constData();
    }
}

TEST(StreamTitle, FirstOccurrenceWins)
{
    EXPECT_EQ(ParseStreamTitle("StreamTitle='One';StreamTitle='Two';"), QByteArray("One"));
}

} // namespace
