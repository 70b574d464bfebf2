#pragma once

#include <QString>
#include <QVector>

struct ServerEntry {
    QString Host;
    QString Path;
    QString Port;
    QString QueryString;
    bool Secure = false;  // reached over TLS
    bool Hls = false;     // the address is an HLS playlist, recorded segment by segment
    bool operator==(const ServerEntry&) const = default;
};

// The servers of the station being recorded, numbered from 1; position 0
// exists and holds nothing.
class ServerList {
public:
    ServerList() { Clear(); }
    void Clear() { m_entries = QVector<ServerEntry>(1); }
    void Add(const ServerEntry& e) { m_entries.append(e); }
    qint32 Last() const { return static_cast<qint32>(m_entries.size()) - 1; }
    ServerEntry& operator[](qint32 position) { return m_entries[position]; }
    const ServerEntry& operator[](qint32 position) const { return m_entries[position]; }

private:
    QVector<ServerEntry> m_entries;
};

// The stream request for one server. Metadata is asked for in the
// stream-title capture mode only.
// A host name as DNS and the Host header take it: a name outside ASCII in
// its IDNA ("xn--") form; anything that is not a valid name unchanged.
QString AsciiHostName(const QString& host);
QByteArray BuildStreamRequest(const ServerEntry& entry, bool metadata, bool ieAgent);
