#include "audiofixtures.h"
#include "cdcreator/audiodecoder.h"
#include "cdcreator/burndrives.h"
#include "cdcreator/cdtext.h"
#include "tests/support/eventwait.h"

#include <libburn/libburn.h>

#include <gtest/gtest.h>

TEST(CdText, CleanTable)
{
    struct Case {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("Plain Title"), QStringLiteral("Plain Title")},
        {QStringLiteral("Café Über Straße Ærø"), QStringLiteral("Cafe Uber Strasse AEro")},
        {QStringLiteral("Ноль Один"), QStringLiteral("Nol' Odin")},
        {QStringLiteral("tab\there\r\nnext  line "), QStringLiteral("tab here next line")},
        {QStringLiteral("\x01\x7f"), QString()},
        {QStringLiteral("a \U0001F600 b"), QStringLiteral("a ? b")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CdText::Clean(c.in), c.out) << c.in.left(40).toStdString();
}

TEST(CdText, BuildFallsBackAndFindsTheCommonDisc)
{
    const TrackTags a{QStringLiteral("One"), QStringLiteral("Ann"), QStringLiteral("LP"), QStringLiteral("Band")};
    const TrackTags b{QString(), QString(), QStringLiteral("LP"), QStringLiteral("Band")};
    const TrackTags c{QStringLiteral("Three"), QStringLiteral("Ann"), QStringLiteral("Other"), QString()};
    const std::vector<QString> paths = {QStringLiteral("/m/x.mp3"), QStringLiteral("/m/my.song.ogg")};
    struct Case {
        std::vector<TrackTags> tags;
        CdTextEntry disc, second;
    } cases[] = {
        {{a, b}, {"LP", "Band"}, {"my.song", "Band"}},
        {{a, c}, {"", "Ann"}, {"Three", "Ann"}},
        {{b, c}, {"", ""}, {"Three", "Ann"}},
        {{}, {"", ""}, {"my.song", ""}},
    };
    for (const Case& k : cases) {
        const CdTextSet set = CdText::Build(k.tags, paths);
        ASSERT_EQ(set.tracks.size(), 2u);
        EXPECT_EQ(QStringList({set.disc.title, set.disc.performer, set.tracks[1].title, set.tracks[1].performer}),
                  QStringList({k.disc.title, k.disc.performer, k.second.title, k.second.performer}));
    }
}

// A full disc of long titles is shortened until libburn can make one block
// of it; the same text at full length is more than a block holds.
TEST(CdText, FullDiscFitsOneBlockAsLibburnCountsIt)
{
    LibburnDrives drives;
    ASSERT_TRUE(drives.Initialize(nullptr));
    // Distinct texts: libburn packs a repeat of the previous track's text short.
    std::vector<TrackTags> tags;
    CdTextSet full;
    for (int i = 0; i < 99; ++i) {
        const QString title = QString::number(i) + QString(200, QLatin1Char('t'));
        const QString performer = QString::number(i) + QString(200, QLatin1Char('p'));
        tags.push_back({title, performer, {}, {}});
        full.tracks.push_back({title.left(80), performer.left(80)});
    }
    const CdTextSet fitted = CdText::Build(tags, std::vector<QString>(99, QStringLiteral("/m/a.wav")));
    EXPECT_LE(CdText::PacksNeeded(fitted), CdText::kMaxPacks);
    EXPECT_EQ(fitted.tracks[98].title.left(2), QStringLiteral("98"));

    for (const CdTextSet* set : std::initializer_list<const CdTextSet*>{&fitted, &full}) {
        burn::burn_session* session = burn::burn_session_create();
        std::vector<burn::burn_track*> tracks(99);
        for (burn::burn_track*& t : tracks)
            burn::burn_session_add_track(session, t = burn::burn_track_create(), BURN_POS_END);
        EXPECT_EQ(AttachCdText(session, tracks, *set, nullptr), set == &fitted);
        for (burn::burn_track* t : tracks)
            burn::burn_track_free(t);
        burn::burn_session_free(session);
    }
}

// Tags as FFmpeg reads them from files that ffmpeg, id3v2 and a hand-made
// RIFF INFO chunk wrote.
TEST(CdText, TrackTextFromTaggedFiles)
{
    TempFolder dir;
    auto ffmpeg = [](const QString& path, const QStringList& extra) {
        return RunTool(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                                             "sine=frequency=440:duration=0.5", "-ac", "2"} +
                                                     extra + QStringList{path});
    };
    struct Case {
        const char* file;
        std::function<bool(const QString&)> make;
        QString title, performer;
    } cases[] = {
        {"v1only.mp3",
         [](const QString& p) {
             return MakeTone(p, 0.5) && RunTool("id3v2", {"-1", "-t", "Old Title", "-a", "Old Artist", p});
         },
         "Old Title", "Old Artist"},
        {"utf16.mp3",
         [&](const QString& p) {
             return ffmpeg(p, {"-id3v2_version", "3", "-metadata", QStringLiteral("title=Señor Café"), "-metadata",
                               QStringLiteral("artist=Björk Guðmundsdóttir")});
         },
         "Senor Cafe", "Bjork Gudmundsdottir"},
        {"vorbis.ogg", [&](const QString& p) { return ffmpeg(p, {"-c:a", "libvorbis", "-metadata", "title=Ogg Song",
                                                                 "-metadata", "ALBUMARTIST=Ogg Band"}); },
         "Ogg Song", "Ogg Band"},
        {"asf.wma", [&](const QString& p) { return ffmpeg(p, {"-metadata", "title=Wm", "-metadata", "artist=Wa"}); },
         "Wm", "Wa"},
        {"plain take.wav", [](const QString& p) { return MakeWav(p, 0.5); }, "plain take", ""},
        {"long.mp3",
         [&](const QString& p) { return ffmpeg(p, {"-metadata", "title=" + QString(10000, QLatin1Char('L'))}); },
         QString(80, QLatin1Char('L')), ""},
        {"quotes.ogg",
         [&](const QString& p) {
             return ffmpeg(p, {"-c:a", "libvorbis", "-metadata", "title=He said \"hi\"\tnow", "-metadata",
                               "artist=\x01" "Ctl\x7f"});
         },
         "He said 'hi' now", "Ctl"},
        {"info.wav", [](const QString& p) { return MakeWav(p, 0.5, 8000, {{"INAM", "Wav \xff\xfe"}, {"IART", "Ok"}}); },
         "Wav ??", "Ok"},
    };
    for (const Case& c : cases) {
        const QString path = dir.file(QString::fromLatin1(c.file));
        ASSERT_TRUE(c.make(path)) << c.file;
        QString error;
        TrackTags tags;
        ASSERT_GT(AudioDecoder::Probe(path, &error, &tags), 0) << c.file << error.toStdString();
        const CdTextSet set = CdText::Build({tags}, {path});
        EXPECT_EQ(set.tracks.at(0).title, c.title) << c.file;
        EXPECT_EQ(set.tracks.at(0).performer, c.performer) << c.file;
    }
}
