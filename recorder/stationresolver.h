#pragma once

#include "recorder/serverlist.h"

#include <QObject>
#include <QString>

class ctlURIGrabber;
class IMessageService;
class ITickSource;

// Why a station gave no servers.
enum class ResolveError {
    None,
    Network,         // the playlist's server could not be reached or failed
    ConnectTimeout,  // ... did not answer the connection in time
    InvalidResponse, // no playlist came back (an error answer, a time-out, a redirect loop)
    BadFileName,     // a local playlist that is not there, or a name too short to be one
    M3UNoHttp,       // an M3U list without an address
    BadPLS,          // a PLS list without a "File" entry
    OggFile,         // an Ogg address that serves a file, not a stream
    TooLarge,        // the playlist passes the size bound
    NotAFile,        // a local playlist that is not a regular file
    HlsMediaFile,    // a local HLS playlist of segments, not of a station
    Unknown,         // an address or an entry that cannot be read
    NoServers,       // the playlist was read and named no server
};

// What a station's address or playlist came to.
struct StationResolution {
    // In playlist order. After an error, the servers read before it.
    ServerList servers;
    // The playlist's title: the address's last path segment without its
    // extension, or the PLS "Title" entry; "" for M3U and after an error.
    QString title;
    ResolveError error = ResolveError::None;
    // The error as the user reads it (with a secure connection's reason);
    // "" without an error.
    QString message;

    bool ok() const { return error == ResolveError::None; }
};

// Turns a station's address (a playlist over HTTP or HTTPS, an Ogg stream,
// or a local playlist file) into the servers to record from. Resolve returns
// at once for a web address and reports through `resolved`; a local file is
// reported before Resolve returns. A later Resolve abandons the one still
// running, which then reports nothing. A web page whose refresh names no
// address is shown by the lookup itself and reports nothing either.
class StationResolver : public QObject {
    Q_OBJECT
public:
    StationResolver(ITickSource* clock, IMessageService* messages, QObject* parent = nullptr);
    ~StationResolver() override;

    void Resolve(const QString& address);
    // A lookup is running (connecting, or waiting for the playlist).
    bool Busy() const;

signals:
    void resolved(const StationResolution& result);

private:
    void onDone();
    void onError(int code);

    ctlURIGrabber* m_grabber;
    ServerList m_servers;
};

// A Live365 server entry: its host names the service and the last segment
// of its path is the station's number.
bool Live365StationOf(const ServerEntry& entry, QString& stationNumber, bool& aflMode);
