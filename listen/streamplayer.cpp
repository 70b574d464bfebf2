#include "listen/streamplayer.h"

#include "listen/aacframes.h"
#include "listen/oggpages.h"
#include "listen/systemaudio.h"
#include "platform/eventsocket.h"
#include "platform/responsehead.h"

namespace {

constexpr qsizetype kMaxHeader = 16384;
const QByteArray kOggCapture = QByteArrayLiteral("OggS");

} // namespace

StreamPlayer::StreamPlayer(std::unique_ptr<IPcmOutput> output, QObject* parent)
    : QObject(parent), m_output(std::move(output))
{
    // The system's output is loaded when the player first plays.
    m_systemOutput = !m_output;
    if (m_output)
        adoptOutput();
}

void StreamPlayer::adoptOutput()
{
    m_output->OnFailure([this](const QString& problem) {
        m_outputDead = true;
        setStatus(problem);
    });
    m_output->SetVolume(OutputVolumeFor(m_volume));
}

bool StreamPlayer::ensureOutput()
{
    if (m_output)
        return true;
    if (!m_systemOutput)
        return false;
    QString problem;
    m_output = SystemPcmOutput(problem);
    if (!m_output) {
        m_systemOutput = false;
        tellNoOutput(problem);
        return false;
    }
    adoptOutput();
    return true;
}

void StreamPlayer::tellNoOutput(const QString& problem)
{
    if (m_toldNoOutput)
        return;
    m_toldNoOutput = true;
    setStatus(problem.isEmpty() ? tr("No audio output device") : problem);
}

StreamPlayer::~StreamPlayer()
{
    dropSocket();
    if (m_output)
        m_output->Stop();
}

void StreamPlayer::Open(const QString& address)
{
    Stop();
    m_url = QUrl(address);
}

void StreamPlayer::Play()
{
    if (m_playing)
        return;
    if (!m_url.isValid() || m_url.host().isEmpty()) {
        setStatus(tr("Nothing to play"));
        return;
    }
    m_playing = true;
    m_outputDead = !ensureOutput();
    m_header.clear();
    m_headerDone = false;
    m_audioBytes = 0;
    m_decoder.Reset();
    for (LoadedDecoder* slot : {&m_ogg, &m_aac})
        if (slot->decoder)
            slot->decoder->Reset();
    m_active = nullptr;
    m_typeKind = Kind::Unknown;
    m_firstBytes.clear();
    m_outputFormat = PcmFormat();
    m_socket = new EventSocket(this);
    connect(m_socket, &EventSocket::Connected, this, &StreamPlayer::onConnected);
    connect(m_socket, &EventSocket::DataArrival, this, &StreamPlayer::onData);
    connect(m_socket, &EventSocket::Closed, this, [this] { onEnded(tr("The stream has ended")); });
    connect(m_socket, &EventSocket::Error, this, [this](int, const QString& description) { onEnded(description); });
    m_socket->Connect(m_url.host(), m_url.port(80));
}

void StreamPlayer::onConnected()
{
    if (!m_socket)
        return;
    QByteArray path = m_url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (m_url.hasQuery())
        path += '?' + m_url.query(QUrl::FullyEncoded).toLatin1();
    const QByteArray host = m_url.host().toLatin1() + ':' + QByteArray::number(m_url.port(80));
    m_socket->SendData("GET " + path + " HTTP/1.0\r\nHost: " + host +
                       "\r\nUser-Agent: Tonquill\r\nAccept: */*\r\nIcy-MetaData: 0\r\n\r\n");
}

void StreamPlayer::onData()
{
    if (!m_socket)
        return;
    const QByteArray data = m_socket->GetData();
    if (m_headerDone) {
        takeAudio(data.constData(), data.size());
        return;
    }
    m_header += data;
    const qsizetype end = ResponseHead::FindEnd(m_header, ResponseHead::BlankLine::CrLfOrLf);
    if (end < 0) {
        if (m_header.size() > kMaxHeader)
            onEnded(tr("The stream server's answer could not be read"));
        return;
    }
    if (ResponseHead::ReadStatusLine(m_header).code != 200) {
        onEnded(tr("The stream server refused the player"));
        return;
    }
    m_headerDone = true;
    const QByteArray type = ResponseHead::Field(m_header.left(end), "content-type");
    m_typeKind = oggpages::IsOggType(type) ? Kind::Ogg : aacframes::IsAacType(type) ? Kind::Aac : Kind::Unknown;
    const QByteArray audio = m_header.mid(end);
    m_header.clear();
    takeAudio(audio.constData(), audio.size());
}

void StreamPlayer::takeAudio(const char* data, qsizetype size)
{
    if (size <= 0)
        return;
    m_audioBytes += size;
    if (!m_active) {
        m_firstBytes.append(data, size);
        const Kind kind = m_typeKind != Kind::Unknown ? m_typeKind : sniff();
        if (kind == Kind::Unknown)
            return;
        chooseDecoder(kind);
        const QByteArray first = std::exchange(m_firstBytes, QByteArray());
        decode(first.constData(), first.size());
        return;
    }
    decode(data, size);
}

StreamPlayer::Kind StreamPlayer::sniff() const
{
    // Four bytes tell an Ogg page from anything else, seven an ADTS header.
    const qsizetype have = m_firstBytes.size();
    if (have >= kOggCapture.size() ? m_firstBytes.startsWith(kOggCapture) : kOggCapture.startsWith(m_firstBytes))
        return have >= kOggCapture.size() ? Kind::Ogg : Kind::Unknown;
    const auto* p = reinterpret_cast<const unsigned char*>(m_firstBytes.constData());
    if (p[0] == 0xff && (have < 2 || (p[1] & 0xf6) == 0xf0))
        return have < aacframes::kHeaderBytes ? Kind::Unknown : aacframes::IsHeader(p) ? Kind::Aac : Kind::Mp3;
    return Kind::Mp3;
}

void StreamPlayer::decode(const char* data, qsizetype size)
{
    m_active->Feed(data, size, [this](const PcmFormat& f, const char* pcm, qsizetype bytes) { onPcm(f, pcm, bytes); });
}

void StreamPlayer::chooseDecoder(Kind kind)
{
    if (kind == Kind::Ogg)
        m_active = loaded(m_ogg, SystemOggDecoder, tr("No Ogg decoder"));
    else if (kind == Kind::Aac)
        m_active = loaded(m_aac, SystemAacDecoder, tr("No AAC decoder"));
    else
        m_active = &m_decoder;
}

IStreamDecoder* StreamPlayer::loaded(LoadedDecoder& slot, std::unique_ptr<IStreamDecoder> (*system)(QString&),
                                     const QString& missing)
{
    if (!slot.decoder) {
        QString problem;
        slot.decoder = slot.maker ? slot.maker(problem) : system(problem);
        if (!slot.decoder) {
            // Without a decoder the stream is read and dropped.
            setStatus(problem.isEmpty() ? missing : problem);
            slot.decoder = std::make_unique<NullDecoder>();
        }
    }
    return slot.decoder.get();
}

void StreamPlayer::onPcm(const PcmFormat& format, const char* pcm, qsizetype bytes)
{
    if (m_outputDead)
        return;
    if (!(format == m_outputFormat)) {
        QString problem;
        if (!m_output->Start(format.sampleRate, format.channels, problem)) {
            // Without a device the sound is dropped until the next Play; the
            // stream is still read so that the relay keeps its reader.
            m_outputDead = true;
            tellNoOutput(problem);
        }
        m_output->SetVolume(OutputVolumeFor(m_volume));
        m_outputFormat = format;
    }
    if (!m_outputDead)
        m_output->Write(pcm, bytes);
}

void StreamPlayer::onEnded(const QString& why)
{
    if (!m_playing)
        return;
    Stop();
    setStatus(why);
}

void StreamPlayer::dropSocket()
{
    if (!m_socket)
        return;
    EventSocket* s = m_socket;
    m_socket = nullptr;
    s->disconnect(this);
    s->Close();
    s->deleteLater();
}

void StreamPlayer::Stop()
{
    dropSocket();
    m_playing = false;
    m_headerDone = false;
    m_header.clear();
    if (m_output)
        m_output->Stop();
    m_outputFormat = PcmFormat();
}

void StreamPlayer::Close()
{
    Stop();
    m_url = QUrl();
}

double StreamPlayer::OutputVolumeFor(qint32 volume)
{
    if (volume < 0)
        return 1.0;
    return qMin(volume, 100) / 100.0;
}

void StreamPlayer::Volume(qint32 balance, qint32 masterVolume, qint32 volume)
{
    // The master volume already acts on everything the system plays; only
    // the player's own volume is applied to the output.
    m_balance = balance;
    m_master = masterVolume;
    m_volume = volume;
    if (m_output)
        m_output->SetVolume(OutputVolumeFor(volume));
}

void StreamPlayer::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit StatusChanged(m_status);
}

std::unique_ptr<IMP3Player> EmbeddedPlayerFor(bool headless)
{
    if (headless && qEnvironmentVariableIntValue("TONQUILL_LISTEN") != 1)
        return std::make_unique<SilentPlayer>();
    return std::make_unique<StreamPlayer>();
}

std::unique_ptr<IMixer> EmbeddedMixerFor(bool headless)
{
    if (headless && qEnvironmentVariableIntValue("TONQUILL_LISTEN") != 1)
        return std::make_unique<NoMixer>();
    return SystemMixer();
}
