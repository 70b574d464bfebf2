#include "sources/hlsplaylist.h"

#include <QStringList>

namespace {
QString unquoted(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

QByteArray ivBytes(const QString& text)
{
    QString hex = text;
    if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        hex = hex.mid(2);
    QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    if (bytes.size() > 16)
        return {};
    return QByteArray(16 - bytes.size(), '\0') + bytes;
}

HlsKey keyOf(const QMap<QString, QString>& a, const QUrl& base)
{
    HlsKey key;
    const QString method = a.value(QStringLiteral("METHOD")).toUpper();
    key.method = method == QLatin1String("NONE")                  ? HlsKey::Method::None
                 : method == QLatin1String("AES-128")             ? HlsKey::Method::Aes128
                 : method.startsWith(QLatin1String("SAMPLE-AES")) ? HlsKey::Method::SampleAes
                                                                  : HlsKey::Method::Other;
    if (a.contains(QStringLiteral("URI")))
        key.uri = base.resolved(QUrl(a.value(QStringLiteral("URI"))));
    if (a.contains(QStringLiteral("IV"))) {
        key.iv = ivBytes(a.value(QStringLiteral("IV")));
        key.hasIv = key.iv.size() == 16;
    }
    return key;
}

bool recordableCodecs(const QString& codecs)
{
    if (codecs.isEmpty())
        return true;
    bool audio = false;
    for (QString codec : codecs.split(QLatin1Char(','))) {
        codec = codec.trimmed();
        if (codec.startsWith(QLatin1String("mp4a")) || codec == QLatin1String("mp3") ||
            codec == QLatin1String("mp4a.40.34") || codec.startsWith(QLatin1String(".mp3")))
            audio = true;
        else if (!codec.startsWith(QLatin1String("avc")) && !codec.startsWith(QLatin1String("hvc")) &&
                 !codec.startsWith(QLatin1String("hev")))
            return false; // an audio codec Tonquill does not record (ac-3, opus, flac ...)
    }
    return audio;
}
} // namespace

bool IsHlsContentType(const QByteArray& contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    const QByteArray type = (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
    return type == "application/vnd.apple.mpegurl" || type == "application/x-mpegurl" || type == "audio/mpegurl" ||
           type == "audio/x-mpegurl";
}

bool IsHlsAddress(const QString& path)
{
    QString p = path;
    const qsizetype query = p.indexOf(QLatin1Char('?'));
    if (query >= 0)
        p.truncate(query);
    return p.endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive);
}

bool LooksLikeHlsPlaylist(const QByteArray& body)
{
    QByteArray start = body.left(8);
    if (start.startsWith("\xef\xbb\xbf"))
        start = body.mid(3, 7);
    return start.startsWith("#EXTM3U") && body.contains("#EXT-X-");
}

QMap<QString, QString> ParseHlsAttributes(const QString& list)
{
    QMap<QString, QString> attributes;
    qsizetype i = 0;
    const qsizetype n = list.size();
    while (i < n) {
        while (i < n && (list[i] == QLatin1Char(',') || list[i] == QLatin1Char(' ')))
            ++i;
        const qsizetype eq = list.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString name = list.mid(i, eq - i).trimmed().toUpper();
        qsizetype end = eq + 1;
        if (end < n && list[end] == QLatin1Char('"')) {
            const qsizetype close = list.indexOf(QLatin1Char('"'), end + 1);
            end = close < 0 ? n : close + 1;
        } else {
            while (end < n && list[end] != QLatin1Char(','))
                ++end;
        }
        if (!name.isEmpty())
            attributes.insert(name, unquoted(list.mid(eq + 1, end - eq - 1).trimmed()));
        i = end;
    }
    return attributes;
}

QString HlsExtinfTitle(const QString& rest)
{
    // key="value" pairs anywhere in the text, as some stations send them.
    QString title, artist;
    bool pairs = false;
    qsizetype i = 0;
    while (i < rest.size()) {
        const qsizetype eq = rest.indexOf(QStringLiteral("=\""), i);
        if (eq < 0)
            break;
        qsizetype start = eq;
        while (start > 0 && (rest[start - 1].isLetterOrNumber() || rest[start - 1] == QLatin1Char('-') ||
                             rest[start - 1] == QLatin1Char('_')))
            --start;
        const qsizetype close = rest.indexOf(QLatin1Char('"'), eq + 2);
        if (close < 0)
            break;
        const QString key = rest.mid(start, eq - start).toLower();
        const QString value = rest.mid(eq + 2, close - eq - 2).trimmed();
        if (key == QLatin1String("title")) {
            title = value;
            pairs = true;
        } else if (key == QLatin1String("artist")) {
            artist = value;
            pairs = true;
        }
        i = close + 1;
    }
    if (pairs) {
        if (title.isEmpty())
            return {};
        return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
    }
    const qsizetype comma = rest.indexOf(QLatin1Char(','));
    return comma < 0 ? QString() : rest.mid(comma + 1).trimmed();
}

HlsPlaylist ParseHlsPlaylist(const QByteArray& text, const QUrl& base)
{
    HlsPlaylist list;
    if (text.size() > kMaxHlsPlaylistBytes) {
        list.error = HlsPlaylist::Error::TooLarge;
        return list;
    }
    if (!LooksLikeHlsPlaylist(text)) {
        list.error = HlsPlaylist::Error::NotHls;
        return list;
    }
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    HlsMediaSegment next;
    bool streamInf = false;
    HlsVariantStream variant;
    HlsKey key;
    QUrl map;
    HlsKey mapKey;
    bool discontinuity = false;
    qint64 sequence = -1;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (!line.startsWith(QLatin1Char('#'))) {
            const QUrl uri = base.resolved(QUrl(line));
            if (streamInf) {
                variant.uri = uri;
                list.variants.append(variant);
                streamInf = false;
            } else {
                if (sequence < 0)
                    sequence = list.mediaSequence;
                next.sequence = sequence++;
                next.uri = uri;
                next.discontinuity = discontinuity;
                next.key = key;
                next.map = map;
                next.mapKey = mapKey;
                list.segments.append(next);
                next = HlsMediaSegment();
                discontinuity = false;
            }
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString tag = colon < 0 ? line : line.left(colon);
        const QString value = colon < 0 ? QString() : line.mid(colon + 1);
        if (tag == QLatin1String("#EXTINF")) {
            qsizetype end = 0;
            while (end < value.size() && value[end] != QLatin1Char(',') && value[end] != QLatin1Char(' '))
                ++end;
            next.duration = value.left(end).toDouble();
            next.title = HlsExtinfTitle(value.mid(end));
        } else if (tag == QLatin1String("#EXT-X-TARGETDURATION")) {
            list.targetDuration = value.trimmed().toDouble();
        } else if (tag == QLatin1String("#EXT-X-MEDIA-SEQUENCE")) {
            if (list.segments.isEmpty())
                list.mediaSequence = value.trimmed().toLongLong();
        } else if (tag == QLatin1String("#EXT-X-ENDLIST")) {
            list.endList = true;
        } else if (tag == QLatin1String("#EXT-X-DISCONTINUITY")) {
            discontinuity = true;
        } else if (tag == QLatin1String("#EXT-X-KEY")) {
            key = keyOf(ParseHlsAttributes(value), base);
        } else if (tag == QLatin1String("#EXT-X-MAP")) {
            const auto a = ParseHlsAttributes(value);
            map = a.contains(QStringLiteral("URI")) ? base.resolved(QUrl(a.value(QStringLiteral("URI")))) : QUrl();
            mapKey = key;
        } else if (tag == QLatin1String("#EXT-X-STREAM-INF")) {
            const auto a = ParseHlsAttributes(value);
            variant = HlsVariantStream();
            variant.bandwidth = a.value(QStringLiteral("BANDWIDTH")).toLongLong();
            variant.codecs = a.value(QStringLiteral("CODECS")).toLower();
            variant.audioGroup = a.value(QStringLiteral("AUDIO"));
            streamInf = true;
            list.kind = HlsPlaylist::Kind::Master;
        } else if (tag == QLatin1String("#EXT-X-MEDIA")) {
            const auto a = ParseHlsAttributes(value);
            HlsRendition r;
            r.type = a.value(QStringLiteral("TYPE")).toUpper();
            r.groupId = a.value(QStringLiteral("GROUP-ID"));
            r.name = a.value(QStringLiteral("NAME"));
            r.isDefault = a.value(QStringLiteral("DEFAULT")).toUpper() == QLatin1String("YES");
            if (a.contains(QStringLiteral("URI")))
                r.uri = base.resolved(QUrl(a.value(QStringLiteral("URI"))));
            list.renditions.append(r);
            list.kind = HlsPlaylist::Kind::Master;
        }
    }
    if (list.kind == HlsPlaylist::Kind::Master ? list.variants.isEmpty() : list.segments.isEmpty() && !list.endList)
        list.error = HlsPlaylist::Error::Empty;
    return list;
}

int PickHlsVariant(const HlsPlaylist& master, bool lowest)
{
    int best = -1;
    for (int i = 0; i < master.variants.size(); ++i) {
        const HlsVariantStream& v = master.variants[i];
        if (!recordableCodecs(v.codecs))
            continue;
        if (best < 0 ||
            (lowest ? v.bandwidth < master.variants[best].bandwidth : v.bandwidth > master.variants[best].bandwidth))
            best = i;
    }
    return best;
}

QUrl HlsVariantMediaUrl(const HlsPlaylist& master, int index)
{
    if (index < 0 || index >= master.variants.size())
        return {};
    const HlsVariantStream& v = master.variants[index];
    if (!v.audioGroup.isEmpty()) {
        const HlsRendition* chosen = nullptr;
        for (const HlsRendition& r : master.renditions) {
            if (r.type != QLatin1String("AUDIO") || r.groupId != v.audioGroup || r.uri.isEmpty())
                continue;
            if (!chosen || (r.isDefault && !chosen->isDefault))
                chosen = &r;
        }
        if (chosen)
            return chosen->uri;
    }
    return v.uri;
}
