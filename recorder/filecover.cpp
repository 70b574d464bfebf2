#include "recorder/filecover.h"

#include "platform/text.h"

#include <QFile>
#include <QFileInfo>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

CoverPicture picture(const TagLib::ByteVector& data, const TagLib::String& mime)
{
    CoverPicture p;
    if (data.isEmpty() || qsizetype(data.size()) > cover::kMaxInputBytes)
        return p;
    p.data = QByteArray(data.data(), int(data.size()));
    p.mimeType = PictureTypeOfBytes(p.data);
    if (p.mimeType.isEmpty())
        p.mimeType = QByteArray::fromStdString(mime.to8Bit());
    return p;
}

CoverPicture front(const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    const TagLib::FLAC::Picture* chosen = nullptr;
    for (const TagLib::FLAC::Picture* p : pictures) {
        if (!chosen || p->type() == TagLib::FLAC::Picture::FrontCover) {
            chosen = p;
            if (p->type() == TagLib::FLAC::Picture::FrontCover)
                break;
        }
    }
    return chosen ? picture(chosen->data(), chosen->mimeType()) : CoverPicture();
}

CoverPicture xiph(TagLib::Ogg::XiphComment* comment)
{
    return comment ? front(comment->pictureList()) : CoverPicture();
}

CoverPicture inside(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData(), false);
        if (!file.isValid() || !file.hasID3v2Tag())
            return {};
        const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
        for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameListMap()["APIC"]) {
            const auto* apic = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
            if (apic && (!chosen || apic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)) {
                chosen = apic;
                if (apic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
                    break;
            }
        }
        return chosen ? picture(chosen->picture(), chosen->mimeType()) : CoverPicture();
    }
    if (suffix == QLatin1String("ogg") || suffix == QLatin1String("oga")) {
        TagLib::Ogg::Vorbis::File file(name.constData(), false);
        return file.isValid() ? xiph(file.tag()) : CoverPicture();
    }
    if (suffix == QLatin1String("opus")) {
        TagLib::Ogg::Opus::File file(name.constData(), false);
        return file.isValid() ? xiph(file.tag()) : CoverPicture();
    }
    if (suffix == QLatin1String("flac")) {
        TagLib::FLAC::File file(name.constData(), false);
        return file.isValid() ? front(file.pictureList()) : CoverPicture();
    }
    return {};
}

} // namespace

CoverPicture ReadFileCover(const QString& path)
{
    if (CoverPicture own = inside(path); !own.IsNull())
        return own;
    const QString beside = CoverPathBeside(path);
    if (beside == path)
        return {};
    // Only a small regular file: a FIFO in its place must not hold the caller.
    const FileRead read = ReadRegularFile(beside, cover::kMaxInputBytes);
    CoverPicture p;
    if (read.ok() && !PictureTypeOfBytes(read.bytes).isEmpty()) {
        p.data = read.bytes;
        p.mimeType = PictureTypeOfBytes(read.bytes);
    }
    return p;
}
