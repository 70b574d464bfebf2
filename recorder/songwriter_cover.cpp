// A song's cover into its file: an Ogg song's comments, or a picture
// beside an AAC song (the ID3v2 tag of an MP3 is written with its tags).
#include "recorder/oggcover.h"
#include "recorder/songwriter.h"

#include <QSaveFile>

QString SongWriter::SongNameFor(const QString& title) const
{
    const QString cleaned = m_songs.CleanTitle(title);
    return (cleaned.isEmpty() ? title : cleaned) + m_extension;
}

bool SongWriter::coverFile(const QString& path, const QString& name)
{
    const CoverPicture cover = m_options.coverArt ? m_covers.For(name) : CoverPicture();
    if (cover.IsNull())
        return true;
    const QString extension = RecordingExtensionOf(path);
    if (extension == QLatin1String(".ogg") || extension == QLatin1String(".opus")) {
        QString error;
        return WriteOggCover(path, cover, &error);
    }
    if (extension != QLatin1String(".aac"))
        return true;
    const CoverPicture jpeg = CoverAsJpeg(cover);
    QSaveFile out(CoverPathBeside(path));
    return !jpeg.IsNull() && out.open(QIODevice::WriteOnly) && out.write(jpeg.data) == jpeg.data.size() && out.commit();
}
