#include "audio/mpeg/Mp3Encoder.h"

#include "io/FileException.h"
#include "io/Paths.h"
#include "io/Text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <lame.h>

namespace
{
constexpr std::size_t kMp3BufferSize = 16384;
constexpr std::size_t kId3v1FieldBytes = 30;

// The bitrates MPEG-1 Layer III offers, kbit/s.
constexpr std::int32_t kBitrateSteps[] = {32,  40,  48,  56,  64,  80,  96,  112,
                                          128, 160, 192, 224, 256, 320, 384, 448};
// Above this, variable bitrate turns into the constant one.
constexpr std::int32_t kHighestVbrBitrate = 256;
constexpr std::int32_t kHighestMpeg1Layer3Bitrate = 320;

// The encoder's variable-bitrate quality (0 best, 9 smallest) for each
// bitrate that stays variable. Unbounded, each averages somewhat above its
// bitrate on music-like material, so that frames spread over the whole range
// from the bitrate up to the ceiling (bench/compare_vbr.sh measures it).
struct VbrQuality
{
    std::int32_t bitrate;
    int quality;
};
constexpr VbrQuality kVbrQualities[] = {{32, 7},  {40, 7},  {48, 6},  {56, 6},  {64, 5},
                                        {80, 5},  {96, 4},  {112, 3}, {128, 2}, {160, 1},
                                        {192, 0}, {224, 0}, {256, 0}};

const std::int32_t* FindStep(std::int32_t bitrate)
{
    return std::find(std::begin(kBitrateSteps), std::end(kBitrateSteps), bitrate);
}

int VbrQualityFor(std::int32_t bitrate)
{
    for (const VbrQuality& entry : kVbrQualities)
        if (entry.bitrate >= bitrate)
            return entry.quality;
    return 0;
}

// The highest step no more than 1.3 times `bitrate`: a variable-bitrate file
// then averages at most that much above the chosen rate, whatever it holds.
std::int32_t VbrCeiling(std::int32_t bitrate)
{
    std::int32_t ceiling = bitrate;
    for (std::int32_t step : kBitrateSteps)
        if (step * 10 <= bitrate * 13 && step <= kHighestMpeg1Layer3Bitrate)
            ceiling = std::max(ceiling, step);
    return ceiling;
}

bool UsesVbr(const EncodeTags& tags)
{
    return tags.vbr && tags.bitrate <= kHighestVbrBitrate;
}

std::string Id3v1Field(const std::string& utf8)
{
    return Latin1FromUtf8(utf8).substr(0, kId3v1FieldBytes);
}

// Why `bitrate` cannot be encoded at 44100 Hz, or empty when it can.
std::string RefusedBitrate(std::int32_t bitrate)
{
    if (FindStep(bitrate) == std::end(kBitrateSteps))
        return "MP3 has no bit rate of " + std::to_string(bitrate) + " kbit/s";
    if (bitrate > kHighestMpeg1Layer3Bitrate)
        return "MP3 at 44100 Hz has no bit rate of " + std::to_string(bitrate) +
               " kbit/s; choose 320 kbit/s or less";
    return {};
}
} // namespace

CMp3Encoder::~CMp3Encoder()
{
    if (m_file.IsOpen())
        Abandon();
    if (m_lame)
        lame_close(m_lame);
}

void CMp3Encoder::Begin(const std::string& path, const EncodeTags& tags, std::uint64_t samples,
                        const std::vector<std::uint8_t>& id3v2)
{
    m_path = path;
    const std::string refused = RefusedBitrate(tags.bitrate);
    if (!refused.empty())
        throw CFileException(CFileException::kGeneric, refused, path);

    m_id3Texts[0] = Id3v1Field(tags.title);
    m_id3Texts[1] = Id3v1Field(tags.artist);
    m_id3Texts[2] = Id3v1Field(tags.album);
    Configure(tags, samples);
    m_held.clear();
    m_mp3.resize(kMp3BufferSize);
    if (!m_file.Open(path, CDiskFile::Mode::Create))
        throw CFileException(CFileException::kGeneric, m_file.ErrorText(), path);
    m_audioStart = id3v2.size();
    if (!id3v2.empty() && !m_file.Write(id3v2.data(), id3v2.size()))
        Fail(m_file.ErrorText());
}

void CMp3Encoder::Configure(const EncodeTags& tags, std::uint64_t samples)
{
    if (m_lame)
        lame_close(m_lame);
    m_lame = lame_init();
    if (!m_lame)
        throw CFileException(CFileException::kGeneric, "cannot start the MP3 encoder", m_path);
    const bool vbr = UsesVbr(tags);
    lame_set_num_samples(m_lame, static_cast<unsigned long>(samples));
    lame_set_num_channels(m_lame, 2);
    lame_set_in_samplerate(m_lame, 44100);
    lame_set_out_samplerate(m_lame, 44100);
    lame_set_bWriteVbrTag(m_lame, 1);
    lame_set_quality(m_lame, tags.quality);
    lame_set_mode(m_lame, JOINT_STEREO);
    lame_set_force_ms(m_lame, 0);
    lame_set_brate(m_lame, tags.bitrate);
    lame_set_disable_reservoir(m_lame, 1);
    lame_set_VBR(m_lame, vbr ? vbr_default : vbr_off);
    if (vbr)
    {
        // The chosen rate is a floor even for silence, so that the average
        // never falls below what was asked for.
        lame_set_VBR_q(m_lame, VbrQualityFor(tags.bitrate));
        lame_set_VBR_min_bitrate_kbps(m_lame, tags.bitrate);
        lame_set_VBR_hard_min(m_lame, 1);
        lame_set_VBR_max_bitrate_kbps(m_lame, VbrCeiling(tags.bitrate));
    }
    lame_set_lowpassfreq(m_lame, 0);
    lame_set_highpassfreq(m_lame, 0);
    if (lame_init_params(m_lame) < 0)
        throw CFileException(CFileException::kGeneric,
                             "the MP3 encoder does not accept these settings", m_path);
}

void CMp3Encoder::Encode(const void* pcm, std::size_t bytes)
{
    const std::size_t values = bytes / 2;
    if (!m_file.IsOpen() || values == 0)
        return;
    const std::size_t start = m_held.size();
    m_held.resize(start + values);
    std::memcpy(m_held.data() + start, pcm, values * 2);
    // A frame is encoded only while more than one frame's values are there.
    std::size_t used = 0;
    while (m_held.size() - used > 2 * kFrameSamples)
    {
        EncodeFrames(m_held.data() + used, kFrameSamples);
        used += 2 * kFrameSamples;
    }
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<long>(used));
}

void CMp3Encoder::EncodeFrames(const std::int16_t* values, std::size_t pairs)
{
    const int bytes = lame_encode_buffer_interleaved(
        m_lame, const_cast<short*>(reinterpret_cast<const short*>(values)), static_cast<int>(pairs),
        m_mp3.data(), static_cast<int>(m_mp3.size()));
    if (bytes < 0)
        Fail("the MP3 encoder failed (error " + std::to_string(bytes) + ")");
    WriteOut(bytes);
}

void CMp3Encoder::WriteOut(int bytes)
{
    if (bytes > 0 && !m_file.Write(m_mp3.data(), static_cast<std::size_t>(bytes)))
        Fail(m_file.ErrorText());
}

void CMp3Encoder::End()
{
    if (!m_file.IsOpen())
        return;
    while (m_held.size() >= 2 * kFrameSamples)
    {
        EncodeFrames(m_held.data(), kFrameSamples);
        m_held.erase(m_held.begin(), m_held.begin() + 2 * kFrameSamples);
    }
    if (m_held.size() >= 2)
        EncodeFrames(m_held.data(), m_held.size() / 2);
    m_held.clear();
    const int flushed = lame_encode_flush(m_lame, m_mp3.data(), static_cast<int>(m_mp3.size()));
    if (flushed < 0)
        Fail("the MP3 encoder failed to finish (error " + std::to_string(flushed) + ")");
    WriteOut(flushed);
    // The encoder kept room for this frame at the very start of the audio;
    // only now are the frame count and the padding known.
    const std::size_t size = lame_get_lametag_frame(m_lame, m_mp3.data(), m_mp3.size());
    if (size == 0 || size > m_mp3.size())
        Fail("the MP3 encoder gave no information frame");
    if (!m_file.Seek(m_audioStart) || !m_file.Write(m_mp3.data(), size))
        Fail(m_file.ErrorText());
    WriteId3v1();
    m_file.Close();
}

void CMp3Encoder::WriteId3v1()
{
    if (m_id3Texts[0].empty() && m_id3Texts[1].empty() && m_id3Texts[2].empty())
        return;
    std::string tag = "TAG";
    for (const std::string& text : m_id3Texts)
        tag += text + std::string(kId3v1FieldBytes - text.size(), ' ');
    tag += std::string(4 + kId3v1FieldBytes, ' '); // year and comment
    tag += static_cast<char>(0xFF);                // no genre
    std::uint64_t end = 0;
    if (!m_file.Size(end) || !m_file.Seek(end) || !m_file.Write(tag.data(), tag.size()))
        Fail(m_file.ErrorText());
}

void CMp3Encoder::Fail(const std::string& reason)
{
    Abandon();
    throw CFileException(CFileException::kDiskFull, reason, m_path);
}

void CMp3Encoder::Abandon()
{
    m_file.Close();
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(m_path), ignored);
}
