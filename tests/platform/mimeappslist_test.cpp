// Editing the defaults of mimeapps.list in place: only the entry added or
// removed changes, every other byte of the file stays, and adding then
// removing gives back the file as it was.
#include "platform/mimeappslist.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kPls = "audio/x-scpls";
const QByteArray kOurs = "tonquill-playlist.desktop";

struct EditCase {
    const char* what;
    QByteArray before;
    QByteArray added; // after PutFirst(kPls, kOurs)
    QByteArrayList firstAfterAdd;
    QByteArray removed = {}; // after Remove(kPls, kOurs); "" for `before` again
};

} // namespace

TEST(MimeAppsList, OursGoesFirstAndComesOutAgainByteForByte)
{
    const EditCase cases[] = {
        {"no file", "", "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;\n", {kOurs}},
        {"other programs kept in order",
         "[Default Applications]\naudio/x-scpls=vlc.desktop;mpv.desktop;\n",
         "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;vlc.desktop;mpv.desktop;\n",
         {kOurs, "vlc.desktop", "mpv.desktop"}},
        {"CR LF and a line that is not UTF-8",
         "# caf\xe9\r\n[Default Applications]\r\ntext/plain=ed.desktop;\r\naudio/x-scpls=vlc.desktop\r\n",
         "# caf\xe9\r\n[Default Applications]\r\ntext/plain=ed.desktop;\r\n"
         "audio/x-scpls=tonquill-playlist.desktop;vlc.desktop\r\n",
         {kOurs, "vlc.desktop"}},
        {"new line in the section takes the file's line end",
         "[Added Associations]\r\naudio/x-scpls=vlc.desktop;\r\n[Default Applications]\r\nx/y=z.desktop;\r\n",
         "[Added Associations]\r\naudio/x-scpls=vlc.desktop;\r\n[Default Applications]\r\n"
         "audio/x-scpls=tonquill-playlist.desktop;\r\nx/y=z.desktop;\r\n",
         {kOurs}},
        {"section added after a last line without its end",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n[Default Applications]\naudio/x-scpls=tonquill-playlist."
         "desktop;\n",
         {kOurs},
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n"}, // the line end given to the last line stays
        {"spaces around the key and entries",
         "[Default Applications]\n audio/x-scpls = vlc.desktop ; mpv.desktop\n",
         "[Default Applications]\n audio/x-scpls =tonquill-playlist.desktop; vlc.desktop ; mpv.desktop\n",
         {kOurs, "vlc.desktop", "mpv.desktop"}},
        {"ours further on moves to the front",
         "[Default Applications]\naudio/x-scpls=vlc.desktop;tonquill-playlist.desktop;mpv.desktop;\n",
         "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;vlc.desktop;mpv.desktop;\n",
         {kOurs, "vlc.desktop", "mpv.desktop"},
         "[Default Applications]\naudio/x-scpls=vlc.desktop;mpv.desktop;\n"},
        {"a commented line and the same type in another section are not ours to edit",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n[Default Applications]\n#audio/x-scpls=a.desktop;\n",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n[Default Applications]\naudio/x-scpls=tonquill-playlist."
         "desktop;\n#audio/x-scpls=a.desktop;\n",
         {kOurs}},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        MimeAppsList list(c.before);
        EXPECT_EQ(list.Bytes(), c.before); // reading changes nothing
        list.PutFirst(kPls, kOurs);
        EXPECT_EQ(list.Bytes(), c.added);
        EXPECT_EQ(list.Defaults(kPls), c.firstAfterAdd);
        list.PutFirst(kPls, kOurs); // already first: nothing more changes
        EXPECT_EQ(list.Bytes(), c.added);
        EXPECT_TRUE(list.Remove(kPls, kOurs));
        EXPECT_FALSE(list.Remove(kPls, kOurs));
        EXPECT_EQ(list.Bytes(), c.removed.isEmpty() ? c.before : c.removed);
    }
}

TEST(MimeAppsList, RemovingLeavesOtherProgramsAndSections)
{
    struct Case {
        const char* what;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"only ours: the line and the emptied section go",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n[Default Applications]\naudio/x-scpls=tonquill-playlist."
         "desktop;\n",
         "[Added Associations]\naudio/x-scpls=vlc.desktop;\n"},
        {"a section with other types stays",
         "[Default Applications]\r\naudio/x-scpls=tonquill-playlist.desktop;\r\ntext/plain=ed.desktop;\r\n",
         "[Default Applications]\r\ntext/plain=ed.desktop;\r\n"},
        {"ours between others",
         "[Default Applications]\naudio/x-scpls=vlc.desktop;tonquill-playlist.desktop;mpv.desktop;\n",
         "[Default Applications]\naudio/x-scpls=vlc.desktop;mpv.desktop;\n"},
        {"listed twice",
         "[Default Applications]\naudio/x-scpls=tonquill-playlist.desktop;vlc.desktop;tonquill-playlist.desktop\n",
         "[Default Applications]\naudio/x-scpls=vlc.desktop\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MimeAppsList list(c.before);
        EXPECT_TRUE(list.Remove(kPls, kOurs));
        EXPECT_EQ(list.Bytes(), c.after);
    }
}
