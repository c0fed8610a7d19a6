#pragma once
// RIFF WAVE files with PCM samples: 8 bit (unsigned) or 16 bit, one or two channels, any rate
// from SOUND_MIN_RATE to SOUND_MAX_RATE. A data chunk that claims more bytes than the file holds
// is read as far as the file goes.

#include <memory>
#include <string>

#include "chime/sound.h"

// A stream over the file's bytes; null with *error saying what is wrong with them.
Sound_Stream* open_wav(std::shared_ptr<const std::string> bytes, std::string* error);
