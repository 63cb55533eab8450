#include "audio/AudioFileFactory.h"

#include "audio/mpeg/AudioMpegFile.h"
#include "audio/ogg/AudioOggFile.h"
#include "audio/wav/AudioWaveFile.h"
#include "io/Paths.h"

std::unique_ptr<CAudioFile> CreateAudioFileFor(const std::string& path)
{
    const std::string extension = UpperCaseExtension(PathFromUtf8(path));
    if (extension == ".MP3")
        return std::make_unique<CAudioMpegFile>();
    if (extension == ".WAV")
        return std::make_unique<CAudioWaveFile>();
    if (extension == ".OGG")
        return std::make_unique<CAudioOggFile>();
    return nullptr;
}
