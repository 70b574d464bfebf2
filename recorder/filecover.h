#pragma once

#include "recorder/coverart.h"

#include <QString>

// The cover a recorded file carries, as stored (not decoded): an MP3's
// ID3v2 front cover (else its first picture), an Ogg Vorbis, Opus or FLAC
// file's front picture, else the picture beside the file ("<song>.jpg", as
// AAC songs have). Null when it has none, or none of at most 8 MB.
CoverPicture ReadFileCover(const QString& path);
