#pragma once

#include <optional>
#include <string>

// The three kinds of audio file the program works with.
enum class AudioKind
{
    Mp3,
    Wav,
    Ogg,
};

// The kind of file `path` names, by its extension in any letter case
// (".mp3", ".wav", ".ogg"); none for any other name. The one place that
// decides it, for the readers, the runs' filters, the counts and the CLI.
std::optional<AudioKind> AudioKindOf(const std::string& path);
