#include "audio/AudioFileFactory.h"

#include "audio/mpeg/AudioMpegFile.h"
#include "audio/ogg/AudioOggFile.h"
#include "audio/wav/AudioWaveFile.h"
#include "io/AudioKind.h"

std::unique_ptr<CAudioFile> CreateAudioFileFor(const std::string& path)
{
    const std::optional<AudioKind> kind = AudioKindOf(path);
    if (!kind)
        return nullptr;
    switch (*kind)
    {
    case AudioKind::Mp3:
        return std::make_unique<CAudioMpegFile>();
    case AudioKind::Wav:
        return std::make_unique<CAudioWaveFile>();
    case AudioKind::Ogg:
        return std::make_unique<CAudioOggFile>();
    }
    return nullptr;
}
