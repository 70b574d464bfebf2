// The recording display shows the song's cover left of its title while it
// records; the title gives it room, and takes it back without one.
#include "displayfixture.h"
#include "ui/display/coverthumb.h"

#include <QBuffer>
#include <QImageWriter>

namespace {

QByteArray png(int w, int h, QRgb rgb)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(rgb);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return out;
}

} // namespace

TEST_F(DisplayTest, TheCoverStandsLeftOfTheTitleWhileRecording)
{
    const QRect title = display->pcSize->geometry();
    EXPECT_TRUE(display->lblCover->isHidden());
    recorder->Covers().SetStationLogo(png(200, 100, 0xff10a0f0));
    recording(false);
    refresh();
    ASSERT_FALSE(display->lblCover->isHidden());
    const QRect cover = display->lblCover->geometry();
    EXPECT_GT(display->pcSize->x(), cover.right());
    EXPECT_EQ(display->pcSize->geometry().right(), title.right()); // the title ends where it did
    EXPECT_EQ(display->lblSongTitle->width(), display->pcSize->width());
    // Scaled into its square, its shape kept.
    const QPixmap shown = display->lblCover->pixmap();
    EXPECT_EQ(shown.width(), cover.width());
    EXPECT_EQ(shown.height(), cover.width() / 2);
    EXPECT_EQ(shown.toImage().pixel(shown.width() / 2, shown.height() / 2), qRgb(0x10, 0xa0, 0xf0));

    status.blnRecording = false;
    refresh();
    EXPECT_TRUE(display->lblCover->isHidden());
    EXPECT_EQ(display->pcSize->geometry(), title);
}

TEST(CoverThumb, APictureThatCannotBeReadIsNotShown)
{
    CoverThumb thumb;
    thumb.resize(20, 20);
    CoverPicture good;
    good.data = png(8, 8, 0xff00ff00);
    good.mimeType = "image/png";
    CoverPicture broken = good;
    broken.data.chop(good.data.size() / 2);
    const struct {
        const char* what;
        CoverPicture picture;
        bool shown;
    } steps[] = {{"a picture", good, true},
                 {"the same again", good, true},
                 {"a broken one", broken, false},
                 {"the good one back", good, true},
                 {"none", CoverPicture(), false}};
    for (const auto& s : steps) {
        EXPECT_EQ(thumb.SetCover(s.picture), s.shown) << s.what;
        EXPECT_EQ(thumb.isHidden(), !s.shown) << s.what;
    }
}
