#pragma once

#include "audio/AudioFile.h"

#include <memory>
#include <string>

// The audio file object for a path, chosen by its upper-cased extension:
// ".MP3", ".WAV" or ".OGG". Any other extension gets none. The object is not
// yet pointed at the path: the caller sets it and validates.
std::unique_ptr<CAudioFile> CreateAudioFileFor(const std::string& path);
