#include "cdcreator/cdtext.h"

#include "cdcreator/timetext.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <numeric>

namespace {

// One transliterator for the program, made on first use (that takes a while,
// so the file readers' threads usually make it) and used by one thread at a
// time.
QString Transliterate(const QString& text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return text;
    static std::mutex mutex;
    static std::unique_ptr<icu::Transliterator> instance;
    static bool tried = false;
    std::lock_guard lock(mutex);
    if (!tried) {
        tried = true;
        UErrorCode status = U_ZERO_ERROR;
        instance.reset(icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8("Any-Latin; Latin-ASCII"),
                                                           UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            instance.reset();
    }
    if (!instance)
        return text;
    icu::UnicodeString value(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    instance->transliterate(value);
    return QString(reinterpret_cast<const QChar*>(value.getBuffer()), value.length());
}

// The value all entries share, or "" when any differs or is empty.
QString Common(const std::vector<QString>& values)
{
    if (values.empty() || values.front().isEmpty())
        return {};
    for (const QString& value : values) {
        if (value != values.front())
            return {};
    }
    return values.front();
}

std::vector<QString*> Fields(CdTextSet& set)
{
    std::vector<QString*> fields = {&set.disc.title, &set.disc.performer};
    for (CdTextEntry& track : set.tracks) {
        fields.push_back(&track.title);
        fields.push_back(&track.performer);
    }
    return fields;
}

} // namespace

bool CdTextSet::empty() const
{
    if (!disc.title.isEmpty() || !disc.performer.isEmpty())
        return false;
    return std::all_of(tracks.begin(), tracks.end(),
                       [](const CdTextEntry& t) { return t.title.isEmpty() && t.performer.isEmpty(); });
}

namespace CdText {

QString Clean(const QString& text, int limit)
{
    // Long tags are cut before the costly transliteration; a character
    // rarely turns into more than a few.
    const QString source = text.left(qsizetype(limit) * 8);
    QString ascii;
    ascii.reserve(source.size());
    bool space = true; // drops leading spaces and runs of them
    for (QChar c : Transliterate(source)) {
        const ushort code = c.unicode();
        if (code < 0x20 || code == 0x7f || c.isSpace()) {
            if (!space)
                ascii += QLatin1Char(' ');
            space = true;
            continue;
        }
        space = false;
        if (code == '"')
            ascii += QLatin1Char('\'');
        else if (code < 0x80)
            ascii += c;
        else if (!c.isLowSurrogate()) // one mark for a whole character
            ascii += QLatin1Char('?');
    }
    return ascii.left(limit).trimmed();
}

QString TitleFromPath(const QString& path)
{
    const QString name = FileNameFromPath(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return Clean(dot > 0 ? name.left(dot) : name);
}

int PacksNeeded(const CdTextSet& set)
{
    if (set.empty())
        return 0;
    auto packs = [&set](auto field) {
        qsizetype bytes = (set.disc.*field).size() + 1;
        for (const CdTextEntry& track : set.tracks)
            bytes += (track.*field).size() + 1;
        return int((bytes + kPackBytes - 1) / kPackBytes);
    };
    return packs(&CdTextEntry::title) + packs(&CdTextEntry::performer);
}

CdTextSet Build(const std::vector<TrackTags>& tags, const std::vector<QString>& paths)
{
    CdTextSet set;
    std::vector<QString> albums, albumArtists, performers;
    for (size_t i = 0; i < paths.size(); ++i) {
        const TrackTags t = i < tags.size() ? tags[i] : TrackTags{};
        CdTextEntry entry;
        entry.title = Clean(t.title);
        if (entry.title.isEmpty())
            entry.title = TitleFromPath(paths[i]);
        entry.performer = Clean(t.artist.trimmed().isEmpty() ? t.albumArtist : t.artist);
        albums.push_back(Clean(t.album));
        albumArtists.push_back(Clean(t.albumArtist));
        performers.push_back(entry.performer);
        set.tracks.push_back(entry);
    }
    set.disc.title = Common(albums);
    set.disc.performer = Common(albumArtists);
    if (set.disc.performer.isEmpty())
        set.disc.performer = Common(performers);

    // Too much for one block: shorten the longest fields, a character at a time.
    std::vector<QString*> fields = Fields(set);
    int cap = kFieldLimit;
    while (PacksNeeded(set) > kMaxPacks && cap > 1) {
        --cap;
        for (QString* field : fields) {
            if (field->size() > cap)
                *field = field->left(cap).trimmed();
        }
    }
    return set;
}

} // namespace CdText
