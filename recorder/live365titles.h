#pragma once

#include <QString>
#include <functional>

class ILive365Link;
class IMessageService;
class QObject;
class ctlLive365TitleReader;
struct ServerEntry;

// A Live365 station names its songs through Live365, not in its stream:
// when a song-by-song recording connects to one, Live365 is asked for the
// station's titles, and the station's name is shown while it records.
// Without a link (none was given) Live365 stations record without them.
// The link's signals come here (see ConnectLive365); a song Live365 names
// is opened by `openSong` as "<artist> - <title>.mp3".
class Live365Titles {
public:
    using OpenSong = std::function<void(const QString& fileName)>;
    Live365Titles(ILive365Link* link, IMessageService* messages, OpenSong openSong)
        : m_link(link), m_messages(messages), m_openSong(std::move(openSong))
    {
    }

    // A connection to `server` begins; `perSong`: the recording is cut into songs.
    void Connected(const ServerEntry& server, bool perSong);
    // Live365 named the song playing.
    void SongNamed(const QString& artist, const QString& title);
    // Live365 named the station.
    void StationNamed(const QString& name);
    // Live365 answered with error `code`: the user is told.
    void Failed(int code);
    // The recording ended.
    void Clear();
    // The reader asked for the titles (null: none).
    ILive365Link* Link() const { return m_link; }

private:
    ILive365Link* m_link;
    IMessageService* m_messages;
    OpenSong m_openSong;
};

// Hands the Live365 title reader's titles and errors to `titles`, for as
// long as `context` lives.
void ConnectLive365(ctlLive365TitleReader& live365, Live365Titles& titles, QObject* context);
