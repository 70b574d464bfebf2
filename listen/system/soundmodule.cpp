// The audio output part: Qt Multimedia is loaded with it, when listening
// starts, and FFmpeg's decoders for Ogg streams.
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

extern "C" Q_DECL_EXPORT IFilePlayer* tonquillCreateFilePlayer()
{
    return new MediaFilePlayer();
}
