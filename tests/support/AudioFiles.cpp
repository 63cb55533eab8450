#include "support/AudioFiles.h"

#include "audio/AudioFileFactory.h"
#include "audio/mpeg/AudioMpegFile.h"
#include "audio/ogg/AudioOggFile.h"
#include "audio/wav/AudioWaveFile.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace
{
std::vector<std::uint8_t> SignalBytes(double seconds, unsigned rate = 44100, unsigned channels = 2)
{
    return AsBytes(TestSignal(static_cast<std::size_t>(seconds * rate), channels));
}
} // namespace

std::string WriteTestMp3(const std::string& path, double seconds, const std::string& title,
                         const std::string& artist, const std::string& album)
{
    const std::vector<std::uint8_t> pcm = SignalBytes(seconds);
    CAudioMpegFile file;
    file.BeginEncoding(path, {title, artist, album, 128, 9, false},
                       static_cast<std::uint64_t>(seconds * 44100));
    file.EncodeData(pcm.data(), pcm.size());
    file.EndEncoding();
    return path;
}

std::string WriteTestOgg(const std::string& path, double seconds, const std::string& title)
{
    const std::vector<std::uint8_t> pcm = SignalBytes(seconds);
    OggEncodeContext context;
    context.title = title;
    CAudioOggFile file;
    file.BeginEncoding(path, context);
    file.EncodeData(pcm.data(), pcm.size());
    file.EncodeData(pcm.data(), 0);
    file.EndEncoding();
    return path;
}

std::string WriteTestWave(const std::string& path, double seconds, unsigned rate, unsigned channels)
{
    CWaveBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), rate, 16,
                static_cast<std::uint16_t>(2 * channels))
        .Chunk("data", SignalBytes(seconds, rate, channels))
        .WriteTo(path);
    return path;
}

std::string WriteWaveSamples(const std::string& path, const std::vector<std::int16_t>& samples,
                             const CWaveFormat& format)
{
    CAudioWaveFile file;
    file.CreateForWriting(path, format);
    const std::vector<std::uint8_t> bytes = AsBytes(samples);
    for (std::size_t at = 0; at < bytes.size(); at += 30001)
        file.WriteData(bytes.data() + at, std::min<std::size_t>(30001, bytes.size() - at));
    file.CloseWriting();
    return path;
}

std::string WriteTestAudio(const std::string& path, double seconds)
{
    if (path.ends_with(".mp3"))
        return WriteTestMp3(path, seconds);
    if (path.ends_with(".ogg"))
        return WriteTestOgg(path, seconds);
    return WriteTestWave(path, seconds);
}

std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& path)
{
    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    if (file)
        file->SetPath(path);
    return file;
}

std::vector<std::uint8_t> DecodeAll(CAudioFile& file)
{
    std::vector<std::uint8_t> pcm, block(32768);
    if (!file.BeginDecoding())
        return pcm;
    std::int32_t got;
    while ((got = file.Read(2048, 16, block.data(), block.size())) > 0)
        pcm.insert(pcm.end(), block.begin(), block.begin() + got);
    file.EndDecoding();
    return pcm;
}

std::vector<std::uint8_t> DecodeAll(const std::string& path)
{
    std::unique_ptr<CAudioFile> file = OpenAudioFile(path);
    return file ? DecodeAll(*file) : std::vector<std::uint8_t>{};
}
