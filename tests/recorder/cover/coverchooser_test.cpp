// Where a song's cover comes from: the first source in the order
// stream, StreamUrl, look-up, station logo wins, whatever order they come in.
#include "recorder/coverchooser.h"

#include <gtest/gtest.h>

namespace {

CoverPicture picture(char tag)
{
    CoverPicture p;
    p.data = QByteArray("\xFF\xD8\xFF", 3) + tag;
    p.mimeType = "image/jpeg";
    p.width = p.height = 1;
    return p;
}

struct Offer {
    const char* song;
    CoverSource source;
    char tag; // 0: a null picture
    bool taken;
};

struct ChooserCase {
    const char* what;
    bool logo;
    std::vector<Offer> offers;
    const char* song;
    char cover; // the tag of the song's cover; 'L' the logo, 0 none
    CoverSource source;
};

// Song "A", then `others` songs ("1", "2", ...), each with its stream picture.
std::vector<Offer> songAThen(int others)
{
    static const char* const names[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    std::vector<Offer> offers{{"A", CoverSource::Stream, 'a', true}};
    for (int i = 0; i < others; ++i)
        offers.push_back({names[i], CoverSource::Stream, char('1' + i), true});
    return offers;
}

TEST(CoverChooser, TheBestSourceOfferedWins)
{
    using S = CoverSource;
    const ChooserCase cases[] = {
        {"nothing at all", false, {}, "A", 0, S::None},
        {"only the logo", true, {}, "A", 'L', S::StationLogo},
        {"StreamUrl over the logo", true, {{"A", S::StreamUrl, 'u', true}}, "A", 'u', S::StreamUrl},
        {"stream after StreamUrl replaces it",
         true,
         {{"A", S::StreamUrl, 'u', true}, {"A", S::Stream, 's', true}},
         "A",
         's',
         S::Stream},
        {"StreamUrl after stream is left out",
         false,
         {{"A", S::Stream, 's', true}, {"A", S::StreamUrl, 'u', false}},
         "A",
         's',
         S::Stream},
        {"look-up after StreamUrl is left out",
         false,
         {{"A", S::StreamUrl, 'u', true}, {"A", S::Lookup, 'k', false}},
         "A",
         'u',
         S::StreamUrl},
        {"the same source twice keeps the first",
         false,
         {{"A", S::StreamUrl, '1', true}, {"A", S::StreamUrl, '2', false}},
         "A",
         '1',
         S::StreamUrl},
        {"another song's picture is not this one's", true, {{"B", S::Stream, 'b', true}}, "A", 'L', S::StationLogo},
        {"a null picture is no cover", true, {{"A", S::Stream, 0, false}}, "A", 'L', S::StationLogo},
        {"the logo is not offered per song", false, {{"A", S::StationLogo, 'x', false}}, "A", 0, S::None},
        {"no song name", false, {{"", S::Stream, 'x', false}}, "", 0, S::None},
        {"the oldest song is forgotten past the limit", true, songAThen(CoverChooser::kSongsKept), "A", 'L',
         S::StationLogo},
        {"the last eight are kept", false, songAThen(CoverChooser::kSongsKept - 1), "A", 'a', S::Stream},
    };
    for (const ChooserCase& c : cases) {
        SCOPED_TRACE(c.what);
        CoverChooser chooser;
        if (c.logo)
            chooser.SetStationLogo(picture('L'));
        for (const Offer& o : c.offers) {
            const CoverPicture p = o.tag ? picture(o.tag) : CoverPicture();
            EXPECT_EQ(chooser.Offer(QString::fromUtf8(o.song), o.source, p), o.taken) << o.song;
        }
        const QString song = QString::fromUtf8(c.song);
        EXPECT_EQ(chooser.For(song).data, c.cover ? picture(c.cover).data : QByteArray());
        EXPECT_EQ(chooser.SourceFor(song), c.source);
        EXPECT_EQ(chooser.Has(song, CoverSource::Lookup), c.source <= CoverSource::Lookup);
    }
}

TEST(CoverChooser, ClearForgetsTheSongsButNotTheLogo)
{
    CoverChooser chooser;
    chooser.SetStationLogo(picture('L'));
    ASSERT_TRUE(chooser.Offer(QStringLiteral("A"), CoverSource::Stream, picture('a')));
    chooser.Clear();
    EXPECT_EQ(chooser.For(QStringLiteral("A")).data, picture('L').data);
    EXPECT_TRUE(chooser.Offer(QStringLiteral("A"), CoverSource::Lookup, picture('k')));
}

} // namespace
