#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class IRelay;
class OggRecording;
struct StreamHead;

// Listening to a recording through the local relay: turned on and off by
// the user, or at a connection's start when the recording asks for it; the
// stream's audio handed on while the relay listens; the volume the user set
// applied at each turn of the clock.
class Listening {
public:
    explicit Listening(IRelay& relay) : m_relay(relay) {}

    // As at the program's start: not listening, at the mixer's volume.
    void Reset();
    // The user's switch: it turns the relay too while `recording`.
    void Toggle(bool recording);
    // Listening starts now (a recording started in listen mode).
    void Begin();
    // The relay stops; the user's switch stays as it was.
    void Stop();
    // The relay could not listen: listening is off. True when `status` is
    // not the one said last (a reconnect that finds the port taken again
    // says nothing new).
    bool Taken(const QString& status);

    // A connection's stream begins.
    void StreamBegins(const StreamHead& head);
    // The stream's audio; an Ogg recording's header is offered to a relay
    // that began listening inside a song.
    void Audio(const char* data, qsizetype size, const OggRecording& ogg);
    // The volume the user set reaches the relay.
    void ApplyVolume();

    bool On() const { return m_on; }
    // The relay's audio is heard.
    bool Relaying() const;
    qint32 Volume() const { return m_volume; }
    void SetVolume(qint32 volume) { m_volume = volume; }

private:
    IRelay& m_relay;
    bool m_on = false;
    qint32 m_volume = 0;
    QString m_takenSaid; // what the relay last said about its port
};
