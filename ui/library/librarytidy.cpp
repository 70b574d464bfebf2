#include "ui/library/librarytidy.h"

#include "history/historystore.h"
#include "ui/library/librarydecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

TagLib::FileName nameOf(const QString& path, QByteArray& keep)
{
    keep = QFile::encodeName(path);
    return keep.constData();
}

TagLib::String text(const QString& s)
{
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

QString qText(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

} // namespace

bool IsLibraryAudioFile(const QString& path)
{
    return !LibraryFormatOf(path).isEmpty();
}

QString LibraryFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QStringList kKnown = {QStringLiteral("mp3"),  QStringLiteral("aac"),  QStringLiteral("ogg"),
                                       QStringLiteral("opus"), QStringLiteral("flac"), QStringLiteral("m4a")};
    return kKnown.contains(suffix) ? suffix.toUpper() : QString();
}

bool ReadLibraryTag(const QString& path, LibraryTag* tag, qint64* lengthMs)
{
    QByteArray keep;
    TagLib::FileRef file(nameOf(path, keep), lengthMs != nullptr, TagLib::AudioProperties::Fast);
    if (file.isNull())
        return false;
    if (lengthMs && file.audioProperties())
        *lengthMs = qint64(file.audioProperties()->lengthInMilliseconds());
    if (!file.tag() || file.tag()->isEmpty())
        return false;
    tag->artist = qText(file.tag()->artist());
    tag->title = qText(file.tag()->title());
    tag->comment = qText(file.tag()->comment());
    return true;
}

QString WriteLibraryTag(const QString& path, const LibraryTag& tag)
{
    if (!QFileInfo::exists(path))
        return QCoreApplication::translate("LibraryTidy", "The file \"%1\" is not there.").arg(path);
    const auto fill = [&tag](TagLib::Tag* t) {
        t->setArtist(text(tag.artist));
        t->setTitle(text(tag.title));
        t->setComment(text(tag.comment));
    };
    QByteArray keep;
    const QString format = LibraryFormatOf(path);
    bool saved = false;
    if (format == QLatin1String("MP3")) {
        TagLib::MPEG::File file(nameOf(path, keep), false);
        if (!file.isValid())
            return QCoreApplication::translate("LibraryTidy", "\"%1\" cannot be read as an MP3 file.").arg(path);
        fill(file.ID3v2Tag(true));
        fill(file.ID3v1Tag(true));
        saved = file.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
    } else if (format == QLatin1String("OGG")) {
        TagLib::Ogg::Vorbis::File file(nameOf(path, keep), false);
        if (!file.isValid() || !file.tag())
            return QCoreApplication::translate("LibraryTidy", "\"%1\" cannot be read as an Ogg Vorbis file.").arg(path);
        fill(file.tag());
        saved = file.save();
    } else {
        TagLib::FileRef file(nameOf(path, keep), false);
        if (file.isNull() || !file.tag())
            return QCoreApplication::translate("LibraryTidy", "\"%1\" has no tag that can be written.").arg(path);
        fill(file.tag());
        saved = file.save();
    }
    return saved ? QString()
                 : QCoreApplication::translate("LibraryTidy", "The tag of \"%1\" could not be written.").arg(path);
}

QString RenameRecording(const QString& path, const QString& newName, QString* renamed)
{
    const QString name = newName.trimmed();
    if (name.isEmpty())
        return QCoreApplication::translate("LibraryTidy", "A file needs a name.");
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        return QCoreApplication::translate("LibraryTidy", "\"%1\" is not a file name: it may not hold \"/\".")
            .arg(name);
    // The system's names end at a zero byte: the file would get a name
    // other than the one asked for.
    if (name.contains(QChar(0)))
        return QCoreApplication::translate("LibraryTidy", "A file name may not hold a zero character.");
    const QFileInfo from(path);
    if (!from.exists())
        return QCoreApplication::translate("LibraryTidy", "The file \"%1\" is not there.").arg(path);
    const QString target = from.dir().filePath(name);
    if (from.fileName() == name) {
        *renamed = path;
        return {};
    }
    if (QFileInfo::exists(target))
        return QCoreApplication::translate("LibraryTidy", "A file named \"%1\" exists already.").arg(name);
    QFile file(path);
    if (!file.rename(target))
        return QCoreApplication::translate("LibraryTidy", "\"%1\" could not be renamed: %2")
            .arg(from.fileName(), file.errorString());
    *renamed = target;
    return {};
}

QString TrashRecording(const QString& path, QString* trashed)
{
    QFile file(path);
    if (!file.exists())
        return QCoreApplication::translate("LibraryTidy", "The file \"%1\" is not there.").arg(path);
    if (!file.moveToTrash())
        return QCoreApplication::translate("LibraryTidy", "\"%1\" could not be moved to the trash: %2")
            .arg(path, file.errorString());
    // The file object names the file where it went.
    if (trashed)
        *trashed = file.fileName();
    return {};
}

bool IsInTrash(const QString& path)
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString home = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
                         QStringLiteral("/Trash/");
    if (file.startsWith(home))
        return true;
    static const QRegularExpression drive(QStringLiteral("/\\.Trash(-\\d+|/\\d+)/(files|info)/"));
    return drive.match(file).hasMatch();
}

LibraryEntry ScannedEntry(const QString& path)
{
    const QFileInfo info(path);
    LibraryEntry e;
    e.path = info.absoluteFilePath();
    e.size = info.size();
    e.date = info.lastModified();
    e.format = LibraryFormatOf(path);
    e.problem = LibraryDecodeProblem(path);
    LibraryTag tag;
    if (ReadLibraryTag(path, &tag, &e.lengthMs) && !tag.title.isEmpty()) {
        e.title = tag.title;
        e.artist = tag.artist;
    } else {
        QString song;
        SplitTitle(info.completeBaseName(), &e.artist, &song);
        e.title = song;
    }
    if (info.dir().dirName() == QLatin1String("incomplete"))
        e.state = QLatin1String(kPlayIncomplete);
    return e;
}

std::vector<std::vector<int>> RepeatGroups(const LibraryModel& model)
{
    QHash<QString, int> groupOf;
    std::vector<std::vector<int>> groups;
    for (int row = 0; row < model.rowCount(); ++row) {
        const LibraryEntry& e = model.At(row);
        const QString key = e.artist.trimmed().toCaseFolded() + QLatin1Char('\n') + e.title.trimmed().toCaseFolded();
        if (e.title.trimmed().isEmpty())
            continue;
        const auto found = groupOf.constFind(key);
        if (found == groupOf.cend()) {
            groupOf.insert(key, int(groups.size()));
            groups.push_back({row});
        } else {
            groups[*found].push_back(row);
        }
    }
    std::erase_if(groups, [](const std::vector<int>& g) { return g.size() < 2; });
    return groups;
}

std::vector<int> RowsBesideLongest(const LibraryModel& model, const std::vector<int>& group)
{
    if (group.empty())
        return {};
    const auto better = [&model](int a, int b) {
        const LibraryEntry& x = model.At(a);
        const LibraryEntry& y = model.At(b);
        const bool xc = x.state != QLatin1String(kPlayIncomplete);
        const bool yc = y.state != QLatin1String(kPlayIncomplete);
        if (xc != yc)
            return xc;
        if (x.lengthMs != y.lengthMs)
            return x.lengthMs > y.lengthMs;
        return x.size > y.size;
    };
    const int keep = *std::min_element(group.begin(), group.end(), [&](int a, int b) { return better(a, b); });
    std::vector<int> rest;
    for (int row : group)
        if (row != keep)
            rest.push_back(row);
    return rest;
}
