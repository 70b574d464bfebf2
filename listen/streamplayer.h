#pragma once

#include "listen/mixer.h"
#include "listen/mp3decoder.h"
#include "listen/mp3player.h"
#include "listen/pcmoutput.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class EventSocket;

// Plays an MP3, AAC (ADTS) or Ogg (Vorbis, Opus, FLAC) stream from an
// "http://host:port/path" address: reads it with a plain socket, skips the
// server's answer header, decodes the rest and plays it. A stream is Ogg
// or AAC when the answer's Content-Type says so or its audio starts with an
// Ogg page or an ADTS header; anything else is MP3. Nothing here blocks; a
// missing audio device is told once through StatusChanged and the stream is
// then read and dropped.
class StreamPlayer : public QObject, public IMP3Player {
    Q_OBJECT
public:
    // Without `output` the system's default audio output is used, loaded at
    // the first Play.
    explicit StreamPlayer(std::unique_ptr<IPcmOutput> output = nullptr, QObject* parent = nullptr);
    ~StreamPlayer() override;

    void Open(const QString& address) override;
    void Play() override;
    void Stop() override;
    void Close() override;
    void Volume(qint32 balance, qint32 masterVolume, qint32 volume) override;

    QString Address() const { return m_url.toString(); }
    bool IsPlaying() const { return m_playing; }
    // The last thing worth telling about the player ("" while all is well).
    QString Status() const { return m_status; }
    qint32 Balance() const { return m_balance; }
    qint32 MasterVolume() const { return m_master; }
    qint32 PlayerVolume() const { return m_volume; }
    // The output's volume for a player volume: 0..100 maps to 0.0..1.0; an
    // unknown (negative) volume plays at full.
    static double OutputVolumeFor(qint32 volume);

    // Bytes of audio received after the answer header since Play.
    qint64 AudioBytesReceived() const { return m_audioBytes; }
    const Mp3FeedDecoder& Decoder() const { return m_decoder; }
    // The decoder of the stream being played: null before its first bytes.
    const IStreamDecoder* ActiveDecoder() const { return m_active; }

    // Makes the Ogg (AAC) decoder at the first Ogg (AAC) stream; by default
    // the one in the system's sound part. Null, with the reason in
    // `problem`, when none.
    using DecoderMaker = std::function<std::unique_ptr<IStreamDecoder>(QString& problem)>;
    void setOggDecoderMaker(DecoderMaker maker) { m_ogg.maker = std::move(maker); }
    void setAacDecoderMaker(DecoderMaker maker) { m_aac.maker = std::move(maker); }

signals:
    void StatusChanged(const QString& status);

private:
    // A decoder made when the first stream of its kind comes.
    struct LoadedDecoder {
        std::unique_ptr<IStreamDecoder> decoder;
        DecoderMaker maker;
    };
    enum class Kind { Unknown, Mp3, Ogg, Aac };

    void onConnected();
    void onData();
    void onEnded(const QString& why);
    void takeAudio(const char* data, qsizetype size);
    void onPcm(const PcmFormat& format, const char* pcm, qsizetype bytes);
    Kind sniff() const;
    void chooseDecoder(Kind kind);
    IStreamDecoder* loaded(LoadedDecoder& slot, std::unique_ptr<IStreamDecoder> (*system)(QString&),
                           const QString& missing);
    void decode(const char* data, qsizetype size);
    void setStatus(const QString& status);
    bool ensureOutput();
    void adoptOutput();
    void tellNoOutput(const QString& problem);
    void dropSocket();

    std::unique_ptr<IPcmOutput> m_output;
    bool m_systemOutput = false; // m_output is the system's, made at the first Play
    bool m_outputDead = false;   // the output cannot play: sound is dropped until the next Play
    bool m_toldNoOutput = false;
    Mp3FeedDecoder m_decoder;
    LoadedDecoder m_ogg;
    LoadedDecoder m_aac;
    IStreamDecoder* m_active = nullptr; // null while the kind of stream is not known
    Kind m_typeKind = Kind::Unknown;    // the kind the answer's Content-Type names
    QByteArray m_firstBytes;            // audio held until the kind of stream is known
    PcmFormat m_outputFormat;
    EventSocket* m_socket = nullptr;
    QUrl m_url;
    QByteArray m_header;
    bool m_headerDone = false;
    bool m_playing = false;
    qint64 m_audioBytes = 0;
    QString m_status;
    qint32 m_balance = 50;
    qint32 m_master = -1;
    qint32 m_volume = -1;
};

// The player the relay points at its stream in this run: a headless run has
// nobody to hear it and plays nothing unless TONQUILL_LISTEN=1 asks for it;
// a run with a display plays on the system's audio output.
std::unique_ptr<IMP3Player> EmbeddedPlayerFor(bool headless);
// The mixer the relay reads for that player: none when nothing plays.
std::unique_ptr<IMixer> EmbeddedMixerFor(bool headless);
