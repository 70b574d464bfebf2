#include "ui/library/librarydecode.h"

#include "recorder/overlapfinder.h"
#include "ui/library/librarytidy.h"

#include <QCoreApplication>
#include <QFile>

namespace {

bool oggBeginsWith(const QByteArray& audio, std::initializer_list<QByteArrayView> heads)
{
    // A page: "OggS", its header of 27 bytes, its segment table, its packets.
    if (audio.size() < 27 || !audio.startsWith("OggS") || audio.at(4) != 0)
        return false;
    const int segments = static_cast<unsigned char>(audio.at(26));
    const QByteArray packet = audio.mid(27 + segments);
    for (QByteArrayView head : heads)
        if (packet.startsWith(head))
            return true;
    return false;
}

QString noAudio(const QString& format)
{
    return QCoreApplication::translate("LibraryDecode", "No %1 audio was found in the file.").arg(format);
}

} // namespace

qsizetype Id3v2TagSize(const QByteArray& head)
{
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(head.constData());
    // The size is "synchsafe": seven bits a byte; a byte with its top bit
    // set is no such size, and the three letters are no tag.
    if (b[3] == 0xFF || b[4] == 0xFF || ((b[6] | b[7] | b[8] | b[9]) & 0x80))
        return 0;
    const qsizetype body = (qsizetype(b[6]) << 21) | (qsizetype(b[7]) << 14) | (qsizetype(b[8]) << 7) | b[9];
    const bool footer = b[3] >= 4 && (b[5] & 0x10);
    return 10 + body + (footer ? 10 : 0);
}

QString DecodeProblemOf(const QByteArray& audio, const QString& format)
{
    bool decodes = false;
    if (format == QLatin1String("MP3"))
        decodes = !FindAudioFrames(audio, AudioFraming::Mp3).empty();
    else if (format == QLatin1String("AAC"))
        decodes = !FindAudioFrames(audio, AudioFraming::Adts).empty();
    else if (format == QLatin1String("OPUS"))
        decodes = oggBeginsWith(audio, {"OpusHead"});
    else if (format == QLatin1String("OGG"))
        decodes = oggBeginsWith(audio, {"\x01vorbis", "OpusHead",
                                        "\x7f"
                                        "FLAC"});
    else if (format == QLatin1String("FLAC"))
        decodes = audio.startsWith("fLaC") || oggBeginsWith(audio, {"\x7f"
                                                                    "FLAC"});
    else if (format == QLatin1String("M4A"))
        decodes = audio.size() >= 8 && audio.mid(4, 4) == "ftyp";
    return decodes ? QString() : noAudio(format);
}

QString LibraryDecodeProblem(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("LibraryDecode", "The file cannot be read: %1").arg(file.errorString());
    if (file.size() == 0)
        return QCoreApplication::translate("LibraryDecode", "The file is empty.");
    const QByteArray head = file.read(10);
    const qsizetype tag = Id3v2TagSize(head);
    if (!file.seek(tag))
        return noAudio(LibraryFormatOf(path));
    return DecodeProblemOf(file.read(kDecodeProbeBytes), LibraryFormatOf(path));
}
