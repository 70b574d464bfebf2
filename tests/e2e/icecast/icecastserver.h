#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A real Icecast server on 127.0.0.1 for one test, with an ffmpeg source
// streaming MP3 to its mount. Everything (config, logs, pid file) lives in a
// temporary folder that goes away with the object; the destructor stops
// ffmpeg and Icecast whatever state they are in.
//
// Icecast will not run as root: when the test runs as root, the server is
// started as "nobody" (setpriv, else runuser) and the temporary folder is
// handed to that user.
//
// Tests only: the waits spin the event loop (tests/support/eventwait.h).
class IcecastServer {
public:
    struct Options {
        QByteArray mount = "/live.mp3";
        int metaInterval = 0;    // bytes of audio between metadata blocks; 0: Icecast's own (16000)
        int burstSize = 65535;   // audio a new listener gets at once; 0 turns the burst off
        int startTimeoutMs = 10000;
        QByteArray charset;      // the mount's charset ("ISO8859-1"); titles sent in UTF-8 are converted to it
    };

    struct SourceOptions {
        int durationSeconds = 60;      // length of the generated tone
        int frequency = 440;
        QString inputFile;             // when set: this file, looped, instead of the tone
        bool copyAudio = false;        // with an MP3 inputFile: its frames are sent as they are, not encoded again
        QString name = QStringLiteral("Tonquill Test Station");  // the stream's icy-name
        QString genre = QStringLiteral("Test");
        QString description = QStringLiteral("Local test stream");
        int bitRateKbps = 128;
        int sampleRate = 44100;
        int channels = 2;
        bool realTime = true;          // -re: send at the pace of playback
        bool aac = false;              // AAC (ADTS, "audio/aac") instead of MP3
    };

    // A plain HTTP answer read until the server closed or the wait ended.
    struct HttpAnswer {
        bool connected = false;
        bool complete = false;   // the header's blank line arrived
        int status = 0;          // from the status line; 0 when none was read
        QByteArray header;       // up to and including the blank line
        QByteArray body;
    };

    IcecastServer();
    explicit IcecastServer(const Options& options);
    ~IcecastServer();
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    // True when icecast2 and ffmpeg can be run here; otherwise `why` names
    // what is missing (for SKIP_FOR_MISSING_TOOL).
    static bool Available(QString* why = nullptr);

    // Writes the config, starts Icecast on a free port and waits (bounded)
    // until it answers a status request. Tries a few ports if one is taken.
    bool Start();
    // Stops the source, then the server (terminate, kill after a short bound).
    void Stop();
    bool IsRunning() const;

    // Starts ffmpeg streaming MP3 to the mount. Returns false when ffmpeg
    // could not be started or ended at once. Call WaitForMount next.
    bool StartSource(const SourceOptions& options);
    bool StartSource() { return StartSource(SourceOptions()); }
    void StopSource();
    bool SourceRunning() const;

    // Waits until the mount is listed by the server and a listener gets audio
    // from it. False when the time ran out or the source ended.
    bool WaitForMount(int timeoutMs);

    // Sets the mount's stream title through the admin API; true on a 200
    // answer. SetTitle sends the UTF-8 bytes of `title`; SetTitleBytes sends
    // `song` as it is (e.g. Windows-1252 bytes), percent-encoded. Icecast
    // passes the bytes on to listeners unchanged.
    bool SetTitle(const QString& title, int timeoutMs = 5000);
    bool SetTitleBytes(const QByteArray& song, int timeoutMs = 5000, const QByteArray& charset = QByteArray());
    // Sends the UTF-8 title with "charset=UTF-8": Icecast converts it to the
    // mount's charset, writing "&#NNNN;" for characters that charset lacks.
    bool SetTitleUtf8(const QString& title, int timeoutMs = 5000) { return SetTitleBytes(title.toUtf8(), timeoutMs, "UTF-8"); }

    // GET `pathAndQuery` from the server (basic auth as admin when `asAdmin`).
    HttpAnswer Get(const QByteArray& pathAndQuery, bool asAdmin = false, int timeoutMs = 5000) const;

    // The ids of the mount's listeners (/admin/listclients).
    QList<QByteArray> ListenerIds() const;
    // Kicks every listener of the mount (/admin/killclient); the number
    // kicked, -1 when a kick was refused.
    int KickListeners() const;

    quint16 Port() const { return m_port; }
    QByteArray Mount() const { return m_options.mount; }
    QString StreamUrl() const;   // http://127.0.0.1:<port>/live.mp3
    QString Host() const { return QStringLiteral("127.0.0.1"); }
    QByteArray SourcePassword() const { return m_sourcePassword; }
    QByteArray AdminPassword() const { return m_adminPassword; }
    QString Folder() const;      // the temporary folder, with a final "/"

    // Why the last Start / StartSource / WaitForMount failed, with the
    // processes' output and the error log: for test failure messages.
    QString LastError() const { return m_lastError; }
    QString ErrorLog() const;
    QString SourceOutput();

private:
    bool PrepareFolder();
    bool WriteConfig();
    bool StartOnce();
    bool WaitUntilAnswering(int timeoutMs);
    void StopServerProcess();
    void KillLeftoverServer();

    Options m_options;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_server;
    QProcess m_source;
    QByteArray m_serverOutput;
    QByteArray m_sourceOutput;
    QByteArray m_sourcePassword;
    QByteArray m_adminPassword;
    QString m_configPath;
    QString m_lastError;
    quint16 m_port = 0;
};
