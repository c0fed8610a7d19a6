#pragma once
// Ogg Vorbis files through libvorbisfile, decoded piece by piece: one or two channels, any rate
// from SOUND_MIN_RATE to SOUND_MAX_RATE; files with chained streams of other layouts are read
// as far as the first layout goes.

#include <memory>
#include <string>

#include "chime/sound.h"

// A stream over the file's bytes; null with *error saying what is wrong with them.
Sound_Stream* open_ogg(std::shared_ptr<const std::string> bytes, std::string* error);
