// The audio output part: Qt Multimedia is loaded with it, when listening starts.
#include "listen/system/audiosinkoutput.h"

extern "C" Q_DECL_EXPORT IPcmOutput* tonquillCreatePcmOutput()
{
    return new AudioSinkOutput();
}
