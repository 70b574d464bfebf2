// The audio output part: Qt Multimedia is loaded with it, when listening
// starts, and FFmpeg's decoders for Ogg and AAC streams.
#include "listen/system/aacdecoder.h"
#include "listen/system/audiosinkoutput.h"
#include "listen/system/mediafileplayer.h"
#include "listen/system/oggdecoder.h"

extern "C" Q_DECL_EXPORT IPcmOutput* tonquillCreatePcmOutput()
{
    return new AudioSinkOutput();
}

extern "C" Q_DECL_EXPORT IStreamDecoder* tonquillCreateOggDecoder()
{
    return new OggFeedDecoder();
}

extern "C" Q_DECL_EXPORT IStreamDecoder* tonquillCreateAacDecoder()
{
    return new AacFeedDecoder();
}

// Files are played by Qt Multimedia's FFmpeg backend, which decodes every
// format the recorder writes with the FFmpeg this part has anyway (Qt 6.4
// picks GStreamer otherwise, whose plugins may be missing);
// QT_MEDIA_BACKEND, when set, chooses.
extern "C" Q_DECL_EXPORT IFilePlayer* tonquillCreateFilePlayer()
{
    if (qgetenv("QT_MEDIA_BACKEND").isEmpty())
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    return new MediaFilePlayer();
}
