#pragma once

#include "recorder/recorderstatus.h"
#include "recorder/serverlist.h"

#include <QByteArray>
#include <QString>

class ISleeper;

// What a stream's response head says that the recording needs.
struct StreamHead {
    QByteArray contentType; // lower case; empty when none was sent
    bool hasBitRate = false;
    qint32 bitRate = 0;
    bool hasIcyName = false;
    QByteArray icyName;
    bool metadata = false; // titles come inside the stream (a positive icy-metaint)
    QByteArray bodyStart;  // the first bytes after the head
};

// Why a server's answer did not bring a stream; the session goes on with
// the next server (or the same one, redirected).
enum class SessionProblem {
    NotFound,        // ICY 404
    Full,            // ICY 400
    Forbidden,       // ICY 403
    GeneralError,    // any other error answer, a web page, a head far too long
    FullRedirect,    // a "redirect" answer: the server is full
    Redirected,      // a new location, asked at once
    RedirectNowhere, // a redirect without a usable location: the next server
    Tls,             // the secure connection failed (the detail says why)
    Notice,          // the stream goes on; the detail says what happened to it
};

// Why a session ended for good.
enum class SessionEnd {
    AllServersFull,  // no server was left to try
    CouldNotConnect, // no server took the connection
    StreamProblems,  // the last server answered with an error
    AgentRefused,    // the server turned the browser agent away
    StreamEnded,     // the station said its stream is over, and all of it is written
    Unrecordable,    // the station sends what cannot be recorded (the status said why)
};

// A source of stream data: connects to the station's servers and hands on
// the response head, audio, titles and the connection's events. It owns
// its connection state; the recorder marks the states around a session
// (fetching the playlist, idle, stopped) through SetState.
class StreamSession {
public:
    // Everything the session hands on. Each event from outside (socket,
    // timers) is bracketed by EventBegins/EventEnds, so the recorder tells
    // its windows of the state an event left, once.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void EventBegins() = 0;
        virtual void EventEnds() = 0;
        virtual void OnStateChanged(ConnectionState from, ConnectionState to) = 0;

        // What the session asks of the recording.
        virtual bool Recording() const = 0;     // a recording goes on: losses are taken up
        virtual bool Quitting() const = 0;      // the program ends: nothing more is taken
        virtual bool RecordingOpen() const = 0; // a reconnect continues the recording
        virtual bool ConnectionRan() const = 0; // this connection brought at least a second of audio

        // `reconnect`: the attempt takes up a lost stream.
        virtual void OnConnecting(const ServerEntry& server, bool reconnect) = 0;
        // Connected; true asks the server for titles inside the stream.
        virtual bool OnConnected(const ServerEntry& server, bool reconnect) = 0;
        virtual void OnStreamBegan(const StreamHead& head) = 0;
        virtual void OnAudio(const char* data, qsizetype size) = 0;
        // `position`: the connection's audio bytes before the title;
        // `firstBlock`: named by the connection's first metadata block.
        virtual void OnTitle(const QString& title, qint64 position, bool firstBlock) = 0;
        // The title came with the address of its picture (an ICY StreamUrl).
        virtual void OnPictureUrl(const QString& title, const QByteArray& url)
        {
            Q_UNUSED(title)
            Q_UNUSED(url)
        }
        // The title's picture came inside the stream (an HLS tag's APIC), as sent.
        virtual void OnStreamPicture(const QString& title, const QByteArray& bytes, const QByteArray& type)
        {
            Q_UNUSED(title)
            Q_UNUSED(bytes)
            Q_UNUSED(type)
        }
        // A piece of data has been handed on whole.
        virtual void OnChunkDone() = 0;
        // `server` is the number of the server that failed.
        virtual void OnProblem(SessionProblem problem, qint32 server, const QString& detail) = 0;
        // The stream's connection closed after its head; `ran`: it brought the stream.
        virtual void OnLost(bool ran) = 0;
        // No data came for ten seconds; `attempt`: during an attempt to reconnect.
        virtual void OnTimedOut(bool attempt) = 0;
        // A lost stream is taken up: attempt `attempt` (0: at once) at `atTick`.
        virtual void OnReconnecting(int attempt, qint32 atTick) = 0;
        // The server in use is given up for server `next` (past the last
        // server: none is left); the recording closes what it had.
        virtual void OnFailingOver(qint32 next) = 0;
        virtual void OnGaveUp(SessionEnd why) = 0;
    };

    virtual ~StreamSession() = default;

    virtual ServerList& Servers() = 0;
    // A recording begins at `tick`: counters, back-off and watchdog start again.
    virtual void Prepare(qint32 tick) = 0;
    // Connects to the first server.
    virtual void Start() = 0;
    // Connects to the server at `position` (the session's server from then
    // on), moving on to the following ones while the connection is refused.
    // Returns at once.
    virtual void ConnectToServer(qint32 position, bool reconnect) = 0;
    // Closes the connection; a connection still being made is abandoned.
    virtual void Close() = 0;
    virtual void SetState(ConnectionState next) = 0;
    virtual ConnectionState State() const = 0;
    // Gives up the server in use for the next one.
    virtual void FailOver() = 0;
    // Stream bytes as if they had arrived on the connection.
    virtual void Feed(const QByteArray& data) = 0;
    // The recorder's clock tick: data that waits is fetched.
    virtual void Poll(qint32 tick) = 0;
    // The data watchdog: no data for ten seconds reconnects. False when the
    // data that waited ended the recording.
    virtual bool CheckStalled(qint32 tick) = 0;
    // Deliberate pauses hold back the stream's data for their length.
    virtual ISleeper& Hold() = 0;
    virtual bool Held() const = 0;
    virtual void ReleaseHold() = 0;

    virtual qint32 ServerNumber() const = 0;
    virtual bool Reconnecting() const = 0;
    virtual int ReconnectAttempts() const = 0;
    virtual qint32 NextReconnectTick() const = 0;
    // The attempt in progress takes up a lost stream and has not brought it yet.
    virtual bool Reattempting() const = 0;
    virtual bool HeaderPending() const = 0;
    virtual qint32 LastDataTick() const = 0;
    virtual qint32 StreamTick() const = 0; // the last time audio arrived
    // The connection's titles come often enough to wait for their first
    // block, and it has not come yet.
    virtual bool AwaitingFirstBlock() const = 0;
    // Received data not yet taken (held back by a pause, or waiting for
    // the next turn of the clock).
    virtual qint64 BytesWaiting() const = 0;
    // Every byte the session's connections have taken so far.
    virtual qint64 BytesTaken() const = 0;
    // The system wakes the program for received data once this many bytes
    // wait (0: at once); the clock's turns take what waits meanwhile.
    virtual void SetWakeThreshold(int bytes) { Q_UNUSED(bytes); }

protected:
    // Brackets an event from outside (socket, timers) for the listener.
    class Event {
    public:
        explicit Event(Listener& listener) : m_listener(listener) { m_listener.EventBegins(); }
        ~Event() { m_listener.EventEnds(); }
        Event(const Event&) = delete;
        Event& operator=(const Event&) = delete;

    private:
        Listener& m_listener;
    };
};
