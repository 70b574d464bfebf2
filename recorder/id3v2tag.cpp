#include "recorder/id3v2tag.h"

#include <QFile>
#include <QFileInfo>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

namespace {
TagLib::String utf8(const QString& text)
{
    return TagLib::String(text.toUtf8().toStdString(), TagLib::String::UTF8);
}
} // namespace

bool WriteID3v2Tag(const QString& path, const TagInfo& info, const QDate& recordingDate, const CoverPicture& cover)
{
    if (!QFileInfo(path).isFile())
        return false;
    // Text frames in UTF-8, so titles in any script survive.
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::UTF8);
    const QByteArray name = QFile::encodeName(path);
    TagLib::MPEG::File file(name.constData(), false);
    if (!file.isValid())
        return false;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    if (!tag)
        return false;
    tag->setArtist(utf8(info.Artist));
    tag->setTitle(utf8(info.Title));
    if (!info.Album.isEmpty())
        tag->setAlbum(utf8(info.Album));
    const QString date = recordingDate.toString(Qt::ISODate);
    tag->setComment(utf8(QStringLiteral("Rec: Tavrix ") + date));
    tag->removeFrames("TDRC");
    auto* recorded = new TagLib::ID3v2::TextIdentificationFrame("TDRC", TagLib::String::UTF8);
    recorded->setText(utf8(date));
    tag->addFrame(recorded);
    if (!cover.IsNull()) {
        tag->removeFrames("APIC");
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setTextEncoding(TagLib::String::UTF8);
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setMimeType(TagLib::String(cover.mimeType.toStdString()));
        picture->setPicture(TagLib::ByteVector(cover.data.constData(), unsigned(cover.data.size())));
        tag->addFrame(picture);
    }
    // Only the ID3v2 tag is written; the ID3v1 tag at the end is kept.
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                     TagLib::File::DoNotDuplicate);
}
