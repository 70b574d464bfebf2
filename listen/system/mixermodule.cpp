// The mixer part: libasound is loaded with it, at the mixer's first read.
#include "listen/system/alsamixer.h"

extern "C" Q_DECL_EXPORT IMixer* tonquillCreateMixer()
{
    return new AlsaMixer();
}
