#include "recorder/coverchooser.h"

const CoverChooser::Entry* CoverChooser::find(const QString& song) const
{
    for (const Entry& e : m_songs) {
        if (e.song == song)
            return &e;
    }
    return nullptr;
}

bool CoverChooser::Offer(const QString& song, CoverSource source, const CoverPicture& picture)
{
    if (picture.IsNull() || song.isEmpty() || source >= CoverSource::StationLogo)
        return false;
    for (auto it = m_songs.begin(); it != m_songs.end(); ++it) {
        if (it->song != song)
            continue;
        if (it->source <= source)
            return false;
        it->source = source;
        it->picture = picture;
        return true;
    }
    m_songs.push_back({song, source, picture});
    while (m_songs.size() > size_t(kSongsKept))
        m_songs.pop_front();
    return true;
}

bool CoverChooser::Has(const QString& song, CoverSource source) const
{
    const Entry* e = find(song);
    return e && e->source <= source;
}

CoverPicture CoverChooser::For(const QString& song) const
{
    const Entry* e = find(song);
    return e ? e->picture : m_logo;
}

CoverSource CoverChooser::SourceFor(const QString& song) const
{
    if (const Entry* e = find(song))
        return e->source;
    return m_logo.IsNull() ? CoverSource::None : CoverSource::StationLogo;
}

void CoverChooser::Clear()
{
    m_songs.clear();
}
