#include "recorder/recordercovers.h"

#include "config/usersettings.h"
#include "platform/text.h"
#include "recorder/songwriter.h"
#include "sources/stationplaylist.h"

#include <QCryptographicHash>
#include <QFile>
#include <QUrl>

namespace {
const QString kPictures = QStringLiteral("StationPictures");

// An address holds characters a settings key cannot: its hash names it.
QString pictureKey(const QString& address)
{
    const QByteArray hash = QCryptographicHash::hash(address.trimmed().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("Station") + QString::fromLatin1(hash.toHex().left(20));
}
} // namespace

QString StationPicturePath(const QString& stationAddress)
{
    return stationAddress.trimmed().isEmpty()
               ? QString()
               : GetSetting(QStringLiteral("Tonquill"), kPictures, pictureKey(stationAddress), QString());
}

void SetStationPicturePath(const QString& stationAddress, const QString& path)
{
    if (!stationAddress.trimmed().isEmpty())
        SaveSetting(QStringLiteral("Tonquill"), kPictures, pictureKey(stationAddress), path);
}

void RecorderCovers::LoadStationLogo(const QString& stationAddress)
{
    m_writer.Covers().SetStationLogo(CoverPicture());
    // The user's own choice first.
    const QString path = StationPicturePath(stationAddress);
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
        // One byte past the limit is enough to refuse a picture too large.
        SetStationLogo(file.read(cover::kMaxInputBytes + 1));
        return;
    }
    // A station added from the directory keeps the directory's picture in its playlist.
    if (!m_enabled || !stationAddress.endsWith(QLatin1String(".pls"), Qt::CaseInsensitive))
        return;
    const FileRead playlist = ReadRegularFile(stationAddress, 64 * 1024);
    const QString logo = playlist.ok() ? StationLogoOfPlaylistText(QString::fromUtf8(playlist.bytes)) : QString();
    if (!logo.isEmpty())
        m_logoFetcher.Fetch(QString(), QUrl(logo));
}

RecorderCovers::RecorderCovers(SongWriter& writer, QObject* parent) : QObject(parent), m_writer(writer)
{
    // "CoverTimeoutMs" shortens the 10 s a picture may take (tests set it);
    // it never lengthens it.
    CoverFetcher::Limits limits;
    bool ok = false;
    const int ms = GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"),
                              QStringLiteral("CoverTimeoutMs"), QString())
                       .trimmed()
                       .toInt(&ok);
    if (ok && ms > 0 && ms < limits.timeoutMs)
        limits.timeoutMs = ms;
    m_fetcher.SetLimits(limits);
    m_lookup.SetLimits(limits);
    CoverLookup::Hosts hosts;
    for (auto [key, host] : {std::pair{QStringLiteral("CoverLookupSearchHost"), &hosts.search},
                             std::pair{QStringLiteral("CoverLookupArtHost"), &hosts.art}}) {
        const QString set =
            GetSetting(QStringLiteral("Tonquill"), QStringLiteral("Registration"), key, QString()).trimmed();
        if (!set.isEmpty())
            *host = set;
    }
    m_lookup.SetHosts(hosts);
    m_lookup.SetStillWanted([this](const QString& song) { return !m_writer.Covers().Has(song, CoverSource::Lookup); });
    connect(&m_lookup, &CoverLookup::found, this, [this](const QString& song, const CoverPicture& picture) {
        offer(song, int(CoverSource::Lookup), picture);
    });
    connect(&m_lookup, &CoverLookup::notFound, this, &RecorderCovers::coverRefused);
    connect(&m_fetcher, &CoverFetcher::fetched, this, [this](const QString& song, const CoverPicture& picture) {
        offer(song, int(CoverSource::StreamUrl), picture);
    });
    connect(&m_fetcher, &CoverFetcher::refused, this, &RecorderCovers::coverRefused);
    m_logoFetcher.SetLimits(limits);
    connect(&m_logoFetcher, &CoverFetcher::fetched, this, [this](const QString&, const CoverPicture& picture) {
        m_writer.Covers().SetStationLogo(picture);
        // Shown at once for a song that has no picture of its own.
        const QString song = m_writer.SongName();
        if (m_enabled && m_writer.Covers().SourceFor(song) == CoverSource::StationLogo)
            emit coverChanged(song, picture);
    });
    connect(&m_logoFetcher, &CoverFetcher::refused, this, &RecorderCovers::coverRefused);
}

void RecorderCovers::SetLookupEnabled(bool on)
{
    m_lookupEnabled = on;
    if (!on)
        m_lookup.Clear();
}

void RecorderCovers::Titled(const QString& title)
{
    if (!m_enabled || !m_lookupEnabled)
        return;
    // "Artist - Title", as the tags read it; a title without an artist is not looked up.
    const qsizetype dash = title.indexOf(QStringLiteral(" - "));
    if (dash <= 0)
        return;
    m_lookup.Look(m_writer.SongNameFor(title), title.left(dash), title.mid(dash + 3));
}

void RecorderCovers::StreamUrl(const QString& title, const QByteArray& url)
{
    if (!m_enabled || title.isEmpty() || url.isEmpty())
        return;
    const QString song = m_writer.SongNameFor(title);
    if (m_writer.Covers().Has(song, CoverSource::StreamUrl) || song == m_lastUrlSong)
        return; // the song has its picture, or is being fetched for it
    const QUrl address(QString::fromUtf8(url));
    if (!CoverFetcher::Fetchable(address)) {
        emit coverRefused(song, QStringLiteral("not an http or https address"));
        return;
    }
    if (m_fetcher.Fetch(song, address))
        m_lastUrlSong = song;
}

void RecorderCovers::StreamPicture(const QString& title, const QByteArray& bytes, const QByteArray& mimeType)
{
    if (!m_enabled || title.isEmpty())
        return;
    const QString song = m_writer.SongNameFor(title);
    if (m_writer.Covers().Has(song, CoverSource::Stream))
        return;
    // A tag's type may be missing or loose ("image/jpg", "JPG"): the bytes decide then.
    const CoverResult r = PrepareCover(bytes, PictureContentType(mimeType));
    if (r.ok())
        offer(song, int(CoverSource::Stream), r.picture);
    else
        emit coverRefused(song, r.error);
}

void RecorderCovers::SetStationLogo(const QByteArray& bytes)
{
    const CoverResult r = bytes.isEmpty() ? CoverResult() : PrepareCover(bytes);
    m_writer.Covers().SetStationLogo(r.picture);
    if (!bytes.isEmpty() && !r.ok())
        emit coverRefused(QString(), r.error);
}

CoverPicture RecorderCovers::Current() const
{
    return m_enabled ? m_writer.Covers().For(m_writer.SongName()) : CoverPicture();
}

CoverPicture RecorderCovers::For(const QString& song) const
{
    return m_enabled ? m_writer.Covers().For(song) : CoverPicture();
}

void RecorderCovers::offer(const QString& song, int source, const CoverPicture& picture)
{
    if (!m_enabled)
        return;
    if (m_writer.Covers().Offer(song, CoverSource(source), picture))
        emit coverChanged(song, picture);
}
