#include "audio/ogg/OggDecoder.h"

#include "io/Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
// The file layer reads through these, so that the file is ours (opened by
// UTF-8 path on every platform) and the layer never closes it.
std::size_t ReadCallback(void* dest, std::size_t size, std::size_t count, void* source)
{
    if (size == 0 || count > SIZE_MAX / size)
        return 0;
    const std::int64_t got = static_cast<CDiskFile*>(source)->Read(dest, size * count);
    if (got < 0)
    {
        // The layer tells an error from the end only by errno.
        if (errno == 0)
            errno = EIO;
        return 0;
    }
    return static_cast<std::size_t>(got) / size;
}

int SeekCallback(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<CDiskFile*>(source);
    std::uint64_t base = 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return -1;
    if ((whence == SEEK_CUR && !file->Tell(base)) || (whence == SEEK_END && !file->Size(base)))
        return -1;
    if (offset < 0 && static_cast<std::uint64_t>(-(offset + 1)) >= base)
        return -1;
    return file->Seek(base + static_cast<std::uint64_t>(offset)) ? 0 : -1;
}

long TellCallback(void* source)
{
    std::uint64_t at = 0;
    if (!static_cast<CDiskFile*>(source)->Tell(at) || at > LONG_MAX)
        return -1;
    return static_cast<long>(at);
}

const char* OpenErrorText(int code)
{
    switch (code)
    {
    case OV_ENOTVORBIS:
        return "the file holds no Vorbis audio";
    case OV_EVERSION:
        return "the Vorbis version is not supported";
    case OV_EBADHEADER:
        return "the Vorbis headers are damaged";
    case OV_EREAD:
        return "the file cannot be read";
    default:
        return "the file is not an Ogg Vorbis file or is damaged";
    }
}

// Share of source channel `c` (Vorbis channel order) in the left or right
// output. The low-frequency channel is left out; centre and surround
// channels go to both sides or their own side at -3 dB.
float DownmixGain(unsigned channels, unsigned c, bool right)
{
    constexpr float h = 0.7071f;
    // Rows by channel count 3 to 8; L = left only, R = right only, C = both.
    static const char* const kLayouts[6] = {"LCR",    "LRlr",    "LCRlr",
                                            "LCRlrx", "LCRlrcx", "LCRlrlrx"};
    if (channels > 8)
        return (c % 2 == (right ? 1u : 0u)) ? 0.5f : 0.0f;
    switch (kLayouts[channels - 3][c])
    {
    case 'L':
        return right ? 0.0f : 1.0f;
    case 'R':
        return right ? 1.0f : 0.0f;
    case 'C':
    case 'c':
        return h;
    case 'l':
        return right ? 0.0f : h;
    case 'r':
        return right ? h : 0.0f;
    default:
        return 0.0f;
    }
}
} // namespace

COggVorbisDecoder::~COggVorbisDecoder()
{
    if (m_open)
        ov_clear(&m_stream);
}

bool COggVorbisDecoder::Open(const std::string& path, std::string& error)
{
    if (!m_file.Open(path, CDiskFile::Mode::Read))
    {
        error = m_file.ErrorText();
        return false;
    }
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
    const int result = ov_open_callbacks(&m_file, &m_stream, nullptr, 0, callbacks);
    if (result < 0)
    {
        error = OpenErrorText(result);
        m_file.Close();
        return false;
    }
    m_open = true;
    const vorbis_info* info = ov_info(&m_stream, -1);
    if (!info || info->rate <= 0 || info->channels <= 0)
    {
        error = "the Vorbis stream gives no sampling rate or channels";
        return false;
    }
    m_rate = static_cast<std::uint32_t>(std::min<long>(info->rate, INT32_MAX));
    m_sourceChannels = static_cast<unsigned>(info->channels);
    SetDownmix();
    return true;
}

void COggVorbisDecoder::SetDownmix()
{
    m_leftGain.assign(m_sourceChannels, 0.0f);
    m_rightGain.assign(m_sourceChannels, 0.0f);
    if (m_sourceChannels <= 2)
        return;
    float leftTotal = 0, rightTotal = 0;
    for (unsigned c = 0; c < m_sourceChannels; ++c)
    {
        leftTotal += m_leftGain[c] = DownmixGain(m_sourceChannels, c, false);
        rightTotal += m_rightGain[c] = DownmixGain(m_sourceChannels, c, true);
    }
    // The sum of the shares is one on each side, so the mix cannot clip.
    for (unsigned c = 0; c < m_sourceChannels; ++c)
    {
        m_leftGain[c] /= leftTotal;
        m_rightGain[c] /= rightTotal;
    }
}

std::int64_t COggVorbisDecoder::TotalFrames()
{
    if (!m_open)
        return 0;
    return std::max<ogg_int64_t>(ov_pcm_total(&m_stream, -1), 0);
}

std::string COggVorbisDecoder::Comment(const char* name)
{
    vorbis_comment* comment = m_open ? ov_comment(&m_stream, -1) : nullptr;
    const char* value = comment ? vorbis_comment_query(comment, name, 0) : nullptr;
    return value ? Utf8FromLegacy(value) : std::string();
}

namespace
{
// Consecutive gaps after which a stream counts as ended.
constexpr int kMaxGaps = 1000;
} // namespace

std::int32_t COggVorbisDecoder::Decode(std::uint8_t* out, std::size_t capacity)
{
    const std::size_t frameBytes = 2 * std::size_t{m_sourceChannels};
    if (!m_open || capacity < frameBytes)
        return 0;
    int link = -1;
    long got = 0;
    // A gap in the stream (damaged or missing pages) is reported once per
    // gap; the audio goes on after it, so a damaged file is decoded whole.
    for (int gaps = 0; gaps < kMaxGaps; ++gaps)
    {
        got = ov_read(&m_stream, reinterpret_cast<char*>(out),
                      static_cast<int>(std::min<std::size_t>(capacity, 1 << 20)), 0, 2, 1, &link);
        if (got != OV_HOLE)
            break;
    }
    if (got <= 0)
        return 0;
    const vorbis_info* info = ov_info(&m_stream, link);
    if (!info || info->channels != static_cast<int>(m_sourceChannels) ||
        info->rate != static_cast<long>(m_rate))
        return 0;
    const std::size_t frames = static_cast<std::size_t>(got) / frameBytes;
    if (m_sourceChannels > 2)
        return static_cast<std::int32_t>(Downmix(out, frames));
    return static_cast<std::int32_t>(frames * frameBytes);
}

// Mixes `frames` frames of the source's channels, in place, to stereo.
std::size_t COggVorbisDecoder::Downmix(std::uint8_t* pcm, std::size_t frames) const
{
    const std::size_t channels = m_sourceChannels; // at most 255 in a Vorbis stream
    std::int16_t frame[256];
    for (std::size_t f = 0; f < frames; ++f)
    {
        std::memcpy(frame, pcm + f * channels * 2, channels * 2);
        float left = 0, right = 0;
        for (std::size_t c = 0; c < channels; ++c)
        {
            left += m_leftGain[c] * frame[c];
            right += m_rightGain[c] * frame[c];
        }
        const std::int16_t mixed[2] = {static_cast<std::int16_t>(std::lrint(left)),
                                       static_cast<std::int16_t>(std::lrint(right))};
        std::memcpy(pcm + f * 4, mixed, 4);
    }
    return frames * 4;
}

std::int64_t COggVorbisDecoder::Tell()
{
    return m_open ? std::max<ogg_int64_t>(ov_pcm_tell(&m_stream), 0) : 0;
}

bool COggVorbisDecoder::Seek(std::int64_t frame)
{
    return m_open && ov_pcm_seek(&m_stream, std::clamp<std::int64_t>(frame, 0, TotalFrames())) == 0;
}
