#include "recorder/live365titles.h"

#include "platform/messages.h"
#include "recorder/stationresolver.h"
#include "sources/live365link.h"
#include "sources/live365reader.h"

void Live365Titles::Connected(const ServerEntry& server, bool perSong)
{
    QString stationNumber;
    bool aflMode = false;
    if (m_link && perSong && Live365StationOf(server, stationNumber, aflMode))
        m_link->GetL365StationFromNumber(stationNumber, aflMode);
}

void Live365Titles::SongNamed(const QString& artist, const QString& title)
{
    m_openSong(artist + QStringLiteral(" - ") + title + QStringLiteral(".mp3"));
}

void Live365Titles::StationNamed(const QString& name)
{
    if (m_link)
        m_link->SetStationName(name);
}

void Live365Titles::Failed(int code)
{
    if (!m_link)
        return;
    m_link->SetStationName(QString());
    m_messages->ShowMessage(m_link->StdErrorMessage(code));
}

void Live365Titles::Clear()
{
    if (m_link)
        m_link->SetStationName(QString());
}

void ConnectLive365(ctlLive365TitleReader& live365, Live365Titles& titles, QObject* context)
{
    QObject::connect(&live365, &ctlLive365TitleReader::TitleChange, context,
                     [&titles](const QString& artist, const QString& title) { titles.SongNamed(artist, title); });
    QObject::connect(&live365, &ctlLive365TitleReader::TitleCallBack, context,
                     [&titles](const QString& name) { titles.StationNamed(name); });
    QObject::connect(&live365, &ctlLive365TitleReader::Error, context, [&titles](int code) { titles.Failed(code); });
}
