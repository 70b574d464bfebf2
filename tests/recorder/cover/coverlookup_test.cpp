// Covers looked up by artist and title: the search's address and answer
// read as tables, then a look-up against loopback stand-ins for the search
// and the picture services: each song once, at most one request a second,
// answers kept for songs that come again.
#include "recorder/coverlookup.h"
#include "tests/recorder/cover/pictures.h"
#include "tests/recorder/cover/pictureserver.h"
#include "tests/support/eventwait.h"

#include <QSignalSpy>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

const char* const kRelease = "0f6ac1b2-3c4d-4e5f-8a9b-0c1d2e3f4a5b";

TEST(CoverLookup, TheSearchAddressQuotesArtistAndTitle)
{
    const struct {
        const char *host, *artist, *title, *query;
    } cases[] = {
        {"https://musicbrainz.org", "Artist", "Song", R"(artist:"Artist" AND recording:"Song")"},
        {"http://127.0.0.1:9/", "A \"B\"", "C\\D", R"(artist:"A \"B\"" AND recording:"C\\D")"},
        {"http://127.0.0.1:9", "Ärzte & Co", "100% ?#", R"(artist:"Ärzte & Co" AND recording:"100% ?#")"},
    };
    for (const auto& c : cases) {
        const QUrl url =
            CoverLookup::SearchUrl(QString::fromUtf8(c.host), QString::fromUtf8(c.artist), QString::fromUtf8(c.title));
        SCOPED_TRACE(url.toString().toStdString());
        EXPECT_EQ(url.path(), QStringLiteral("/ws/2/recording/"));
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded), QString::fromUtf8(c.query));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("fmt")), QStringLiteral("json"));
    }
}

TEST(CoverLookup, TheFirstReleaseOfTheAnswer)
{
    const QByteArray good = QByteArray(R"({"recordings":[{"releases":[{"id":")") + kRelease + R"("}]}]})";
    const struct {
        const char* what;
        QByteArray answer;
        const char* release;
    } cases[] = {
        {"one release", good, kRelease},
        {"an id of another form is passed over",
         QByteArray(R"({"recordings":[{"releases":[{"id":"../../x"}]},{"releases":[{"id":")") + kRelease + R"("}]}]})",
         kRelease},
        {"upper-case letters are not the service's form",
         QByteArray(R"({"recordings":[{"releases":[{"id":")") + QByteArray(kRelease).toUpper() + R"("}]}]})", ""},
        {"no recordings", R"({"recordings":[]})", ""},
        {"a recording without releases", R"({"recordings":[{"title":"x"}]})", ""},
        {"not JSON", "<html>busy</html>", ""},
        {"an array", R"([1,2])", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CoverLookup::ReleaseOf(c.answer), QString::fromLatin1(c.release)) << c.what;
}

class CoverLookupServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray found = QByteArray(R"({"recordings":[{"releases":[{"id":")") + kRelease + R"("}]}]})";
        server.answers = {
            {"/ws/2/recording/", {okHead("application/json", found.size()), found}},
            {QByteArray("/release/") + kRelease + "/front-500",
             {"HTTP/1.1 307 Temporary Redirect\r\nLocation: /img/front.jpg\r\nContent-Length: 0", {}}},
            {"/img/front.jpg", {okHead("image/jpeg", jpeg.size()), jpeg}},
        };
        const QString host = server.url(QString()).toString();
        lookup.SetHosts({host, host});
        CoverFetcher::Limits limits;
        limits.timeoutMs = 2000;
        lookup.SetLimits(limits);
    }
    PictureServer server;
    const QByteArray jpeg = pictures::plain(50, 50, "jpeg");
    CoverLookup lookup;
};

TEST_F(CoverLookupServices, EachSongIsLookedUpOnceAndTheServicesAreAskedOnceASecond)
{
    QSignalSpy found(&lookup, &CoverLookup::found);
    QSignalSpy notFound(&lookup, &CoverLookup::notFound);
    lookup.Look(QStringLiteral("A - One"), QStringLiteral("A"), QStringLiteral("One"));
    lookup.Look(QStringLiteral("A - One"), QStringLiteral("A"), QStringLiteral("One")); // asked again meanwhile
    lookup.Look(QStringLiteral("B - Two"), QStringLiteral("B"), QStringLiteral("Two"));
    lookup.Look(QStringLiteral("no artist"), QString(), QStringLiteral("Two"));
    ASSERT_TRUE(WaitUntil([&] { return found.size() + notFound.size() >= 2; }, 15000));
    EXPECT_TRUE(notFound.isEmpty()) << notFound.value(0).value(1).toString().toStdString();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0][0].toString(), QStringLiteral("A - One"));
    EXPECT_EQ(found[1][0].toString(), QStringLiteral("B - Two"));
    EXPECT_EQ(found[0][1].value<CoverPicture>().data, jpeg);
    // The first song: a search, the picture and its redirect; the second: a
    // search only, as it names the same release, whose picture was just fetched.
    ASSERT_EQ(server.requests, 4);
    EXPECT_TRUE(server.targets[0].contains("One")) << server.targets[0].constData();
    EXPECT_TRUE(server.targets[3].contains("Two")) << server.targets[3].constData();
    // A redirect is part of its request; every other request waits its
    // second after the one before.
    for (auto [later, earlier] : {std::pair{1, 0}, std::pair{3, 1}})
        EXPECT_GE(server.times[later] - server.times[earlier], CoverLookup::kGapMs - 20) << later;

    // The same artist and title again, in any letter case: from what was kept.
    lookup.Look(QStringLiteral("a - one (2)"), QStringLiteral("a"), QStringLiteral("ONE"));
    ASSERT_TRUE(WaitUntil([&] { return found.size() == 3; }, 5000));
    EXPECT_EQ(found[2][0].toString(), QStringLiteral("a - one (2)"));
    EXPECT_EQ(server.requests, 4);
}

TEST_F(CoverLookupServices, WhatIsNotFoundOrNoLongerWantedAsksNoPicture)
{
    const QByteArray none = R"({"recordings":[]})";
    QSignalSpy found(&lookup, &CoverLookup::found);
    QSignalSpy notFound(&lookup, &CoverLookup::notFound);
    lookup.SetStillWanted([](const QString& song) { return song != QStringLiteral("has one"); });
    lookup.Look(QStringLiteral("has one"), QStringLiteral("A"), QStringLiteral("B"));
    server.answers["/ws/2/recording/"] = {okHead("application/json", none.size()), none};
    lookup.Look(QStringLiteral("unknown"), QStringLiteral("C"), QStringLiteral("D"));
    ASSERT_TRUE(WaitUntil([&] { return notFound.size() == 1; }, 5000));
    EXPECT_EQ(notFound[0][0].toString(), QStringLiteral("unknown"));
    EXPECT_TRUE(notFound[0][1].toString().contains(QLatin1String("no release")));
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(server.requests, 1); // the search for "unknown" alone

    // A search service that answers a page, or not at all, gives no cover and is asked again later.
    server.answers["/ws/2/recording/"] = {"HTTP/1.1 200 OK\r\nContent-Type: application/json", {}, false, true};
    lookup.Look(QStringLiteral("silent"), QStringLiteral("E"), QStringLiteral("F"));
    ASSERT_TRUE(WaitUntil([&] { return notFound.size() == 2; }, 8000));
    EXPECT_EQ(notFound[1][0].toString(), QStringLiteral("silent"));
    EXPECT_EQ(lookup.Waiting(), 0);
}

} // namespace
