#include "io/AudioKind.h"

#include "io/Paths.h"

std::optional<AudioKind> AudioKindOf(const std::string& path)
{
    const std::string extension = UpperCaseExtension(PathFromUtf8(path));
    if (extension == ".MP3")
        return AudioKind::Mp3;
    if (extension == ".WAV")
        return AudioKind::Wav;
    if (extension == ".OGG")
        return AudioKind::Ogg;
    return std::nullopt;
}
