#pragma once

#include "listen/mixer.h"
#include "listen/pcmoutput.h"
#include "listen/streamdecoder.h"

#include <QString>
#include <memory>

// The system's sound lives in loadable parts: the audio output (Qt
// Multimedia) and the Ogg and AAC decoders (FFmpeg) in libtonquill-sound.so, loaded
// when listening starts, and the ALSA mixer in libtonquill-mixer.so, loaded
// at its first read. Each part makes its object through one C function.
inline constexpr const char* kSoundModule = "tonquill-sound";
inline constexpr const char* kMixerModule = "tonquill-mixer";
inline constexpr const char* kCreatePcmOutput = "tonquillCreatePcmOutput";
inline constexpr const char* kCreateMixer = "tonquillCreateMixer";
inline constexpr const char* kCreateOggDecoder = "tonquillCreateOggDecoder";
inline constexpr const char* kCreateAacDecoder = "tonquillCreateAacDecoder";
inline constexpr const char* kCreateFilePlayer = "tonquillCreateFilePlayer";

// The system's default audio output, or null with the reason in `problem`.
std::unique_ptr<IPcmOutput> SystemPcmOutput(QString& problem);

// A decoder of Ogg Vorbis, Opus and FLAC streams, or null with the reason in
// `problem`.
std::unique_ptr<IStreamDecoder> SystemOggDecoder(QString& problem);

// A decoder of AAC streams in ADTS frames, or null with the reason in
// `problem`.
std::unique_ptr<IStreamDecoder> SystemAacDecoder(QString& problem);
