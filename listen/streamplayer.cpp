#include "listen/streamplayer.h"

#include "listen/oggpages.h"
#include "listen/systemaudio.h"
#include "platform/eventsocket.h"
#include "platform/responsehead.h"

namespace {

constexpr qsizetype kMaxHeader = 16384;
const QByteArray kOggCapture = QByteArrayLiteral("OggS");

}  // namespace

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
    if (m_oggDecoder)
        m_oggDecoder->Reset();
    m_active = nullptr;
    m_oggType = false;
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
    m_socket->SendData("GET " + path + " HTTP/1.0\r\nHost: " + host
                       + "\r\nUser-Agent: Tonquill\r\nAccept: */*\r\nIcy-MetaData: 0\r\n\r\n");
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
    m_oggType = oggpages::IsOggType(ResponseHead::Field(m_header.left(end), "content-type"));
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
        // Four bytes tell an Ogg page from anything else.
        if (!m_oggType && m_firstBytes.size() < kOggCapture.size() && kOggCapture.startsWith(m_firstBytes))
            return;
        chooseDecoder();
        const QByteArray first = std::exchange(m_firstBytes, QByteArray());
        decode(first.constData(), first.size());
        return;
    }
    decode(data, size);
}

void StreamPlayer::decode(const char* data, qsizetype size)
{
    m_active->Feed(data, size, [this](const PcmFormat& f, const char* pcm, qsizetype bytes) { onPcm(f, pcm, bytes); });
}

void StreamPlayer::chooseDecoder()
{
    m_active = &m_decoder;
    if (!m_oggType && !m_firstBytes.startsWith(kOggCapture))
        return;
    if (!m_oggDecoder) {
        QString problem;
        m_oggDecoder = m_oggMaker ? m_oggMaker(problem) : SystemOggDecoder(problem);
        if (!m_oggDecoder) {
            // Without a decoder the stream is read and dropped.
            setStatus(problem.isEmpty() ? tr("No Ogg decoder") : problem);
            m_oggDecoder = std::make_unique<NullDecoder>();
        }
    }
    m_active = m_oggDecoder.get();
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
