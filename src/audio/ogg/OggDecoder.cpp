#include "audio/ogg/OggDecoder.h"

#include "audio/ogg/OggLinkLength.h"
#include "io/Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>

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

// Links further apart in rate than this from the first are left out: no
// real file has them, and their filter would be slow and large.
constexpr std::uint64_t kMaxRateRatio = 64;
// Bytes of source PCM read at a time when it must be converted: room for a
// frame of the most channels a stream can have.
constexpr std::size_t kSourceBytes = 4096;
// Consecutive gaps after which a stream counts as ended.
constexpr int kMaxGaps = 1000;

std::int64_t FramesAtRate(std::int64_t frames, std::uint32_t from, std::uint32_t to)
{
    if (from == to || frames <= 0)
        return std::max<std::int64_t>(frames, 0);
    const long double scaled = std::round(static_cast<long double>(frames) * to / from);
    return static_cast<std::int64_t>(
        std::min<long double>(scaled, std::numeric_limits<std::int64_t>::max() / 4));
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    return b > std::numeric_limits<std::int64_t>::max() - a
               ? std::numeric_limits<std::int64_t>::max()
               : a + b;
}
} // namespace

COggVorbisDecoder::~COggVorbisDecoder()
{
    if (m_open)
        ov_clear(&m_stream);
}

Status COggVorbisDecoder::Open(const std::string& path)
{
    if (!m_file.Open(path, CDiskFile::Mode::Read))
        return Status::Failure(m_file.ErrorText());
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
    const int result = ov_open_callbacks(&m_file, &m_stream, nullptr, 0, callbacks);
    if (result < 0)
    {
        m_file.Close();
        return Status::Failure(OpenErrorText(result));
    }
    m_open = true;
    m_source.resize(kSourceBytes);
    m_output.resize(kSourceBytes / 2);
    return ReadLinks();
}

// The layout of every link and its length, checked against its pages, at
// the first link's rate.
Status COggVorbisDecoder::ReadLinks()
{
    const vorbis_info* first = ov_info(&m_stream, 0);
    if (!first || first->rate <= 0 || first->channels <= 0)
        return Status::Failure("the Vorbis stream gives no sampling rate or channels");
    m_rate = static_cast<std::uint32_t>(std::min<long>(first->rate, INT32_MAX));
    m_channels = first->channels > 2 ? 2 : static_cast<unsigned>(first->channels);
    const bool seekable = ov_seekable(&m_stream) != 0;
    m_links.assign(seekable ? static_cast<std::size_t>(std::max(ov_streams(&m_stream), 1L)) : 1,
                   Link{});
    std::int64_t layerAt = 0;
    for (std::size_t i = 0; i < m_links.size(); ++i)
    {
        const int index = static_cast<int>(i);
        vorbis_info* info = ov_info(&m_stream, index);
        Link& link = m_links[i];
        if (info && info->rate > 0 && info->channels > 0)
        {
            link.rate = static_cast<std::uint32_t>(std::min<long>(info->rate, INT32_MAX));
            link.channels = static_cast<unsigned>(info->channels);
            link.usable =
                link.rate <= m_rate * kMaxRateRatio && m_rate <= link.rate * kMaxRateRatio;
        }
        const std::int64_t declared = std::max<ogg_int64_t>(ov_pcm_total(&m_stream, index), 0);
        link.layerStart = layerAt;
        layerAt = SaturatingAdd(layerAt, declared);
        link.frames = declared;
        if (!seekable || !info)
            continue;
        OggLinkExtent extent;
        extent.begin = static_cast<std::uint64_t>(std::max<ogg_int64_t>(m_stream.offsets[i], 0));
        extent.audio =
            static_cast<std::uint64_t>(std::max<ogg_int64_t>(m_stream.dataoffsets[i], 0));
        // The layer's last offset is where the last page starts.
        extent.end = static_cast<std::uint64_t>(std::max<ogg_int64_t>(
            i + 1 < m_links.size() ? m_stream.offsets[i + 1] : m_stream.end, 0));
        extent.serial = static_cast<int>(m_stream.serialnos[i]);
        extent.startGranule = m_stream.pcmlengths[i * 2];
        extent.declared = declared;
        link.frames = CheckedLinkFrames(m_file, *info, extent);
        if (link.frames < 0)
            return Status::Failure("the file cannot be read");
    }
    // Opened afresh, the file layer starts a chained file past the first
    // link when that link's audio fits on one page; going to the start
    // first makes it read every link.
    if (m_links.size() > 1 && ov_raw_seek(&m_stream, 0) != 0)
        return Status::Failure("the file cannot be read");
    for (Link& link : m_links)
    {
        link.outStart = m_totalFrames;
        if (link.usable)
            m_totalFrames =
                SaturatingAdd(m_totalFrames, FramesAtRate(link.frames, link.rate, m_rate));
    }
    return {};
}

void COggVorbisDecoder::SetDownmix(unsigned channels)
{
    if (channels == m_mixChannels)
        return;
    m_mixChannels = channels;
    m_leftGain.assign(channels, 0.0f);
    m_rightGain.assign(channels, 0.0f);
    float leftTotal = 0, rightTotal = 0;
    for (unsigned c = 0; c < channels; ++c)
    {
        leftTotal += m_leftGain[c] = DownmixGain(channels, c, false);
        rightTotal += m_rightGain[c] = DownmixGain(channels, c, true);
    }
    // The sum of the shares is one on each side, so the mix cannot clip.
    for (unsigned c = 0; c < channels; ++c)
    {
        m_leftGain[c] /= leftTotal;
        m_rightGain[c] /= rightTotal;
    }
}

std::string COggVorbisDecoder::Comment(const char* name)
{
    vorbis_comment* comment = m_open ? ov_comment(&m_stream, 0) : nullptr;
    const char* value = comment ? vorbis_comment_query(comment, name, 0) : nullptr;
    return value ? Utf8FromLegacy(value) : std::string();
}

// Sets up the conversion of a link that starts; a finished link's filter is
// kept until it has given out what it holds.
void COggVorbisDecoder::StartLink(int link)
{
    m_link = link;
    m_ending = std::move(m_resampler);
    Link& source = m_links[static_cast<std::size_t>(link)];
    if (!source.usable)
        return;
    if (source.channels > 2)
        SetDownmix(source.channels);
    if (source.rate == m_rate)
        return;
    try
    {
        m_resampler = std::make_unique<CResampler>(source.rate, m_rate, m_channels);
    }
    catch (const std::exception&)
    {
        source.usable = false;
    }
}

// Source PCM of whichever link comes next; 0 at the end or on an error.
long COggVorbisDecoder::ReadSource(std::uint8_t* out, std::size_t capacity, int& link)
{
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
    if (link < 0 || static_cast<std::size_t>(link) >= m_links.size())
        return 0;
    return got;
}

std::int32_t COggVorbisDecoder::Decode(std::uint8_t* out, std::size_t capacity)
{
    const std::size_t frameBytes = 2 * std::size_t{m_channels};
    if (!m_open || capacity < frameBytes)
        return 0;
    const std::size_t room = std::min(capacity, kSourceBytes) / frameBytes;
    for (;;)
    {
        if (m_ending)
        {
            const std::size_t got = m_ending->Flush(m_output.data(), room);
            if (got > 0)
                return Deliver(out, m_output.data(), got);
            m_ending.reset();
        }
        const std::size_t waiting = m_input.size() / m_channels - m_inputAt;
        if (waiting > 0)
        {
            const std::int16_t* from = m_input.data() + m_inputAt * m_channels;
            if (!m_resampler)
            {
                const std::size_t frames = std::min(waiting, room);
                m_inputAt += frames;
                return Deliver(out, from, frames);
            }
            std::size_t used = 0;
            const std::size_t got =
                m_resampler->Process(from, waiting, used, m_output.data(), room);
            // A filter that neither takes nor gives must not stall the loop.
            m_inputAt += got > 0 || used > 0 ? used : waiting;
            if (got > 0)
                return Deliver(out, m_output.data(), got);
            continue;
        }
        // PCM that needs no converting goes straight to the caller.
        const bool direct = !m_resampler && capacity >= kSourceBytes;
        std::uint8_t* into = direct ? out : m_source.data();
        int link = -1;
        const long got = ReadSource(into, direct ? capacity : kSourceBytes, link);
        if (got <= 0)
        {
            if (!m_resampler)
                return 0;
            m_ending = std::move(m_resampler);
            continue;
        }
        if (link != m_link)
            StartLink(link);
        const Link& source = m_links[static_cast<std::size_t>(link)];
        if (!source.usable)
            continue;
        const std::size_t frames = static_cast<std::size_t>(got) / (2 * source.channels);
        if (direct && source.rate == m_rate && source.channels == m_links[0].channels)
        {
            m_position += static_cast<std::int64_t>(frames);
            if (source.channels > 2)
                return static_cast<std::int32_t>(Downmix(out, frames));
            return static_cast<std::int32_t>(frames * frameBytes);
        }
        TakeIn(into, frames);
    }
}

std::int32_t COggVorbisDecoder::Deliver(std::uint8_t* out, const std::int16_t* pcm,
                                        std::size_t frames)
{
    std::memcpy(out, pcm, frames * 2 * m_channels);
    m_position += static_cast<std::int64_t>(frames);
    return static_cast<std::int32_t>(frames * 2 * m_channels);
}

// Brings `frames` frames of the current link's source PCM to the delivered
// channels: mono to both sides, stereo to mono as the average, more
// channels mixed down as in the first link.
void COggVorbisDecoder::TakeIn(const std::uint8_t* pcm, std::size_t frames)
{
    const std::size_t channels = m_links[static_cast<std::size_t>(m_link)].channels;
    m_input.resize(frames * m_channels);
    m_inputAt = 0;
    std::int16_t frame[256];
    for (std::size_t f = 0; f < frames; ++f)
    {
        std::memcpy(frame, pcm + f * channels * 2, channels * 2);
        float left = frame[0], right = frame[channels > 1 ? 1 : 0];
        if (channels > 2)
        {
            left = right = 0;
            for (std::size_t c = 0; c < channels; ++c)
            {
                left += m_leftGain[c] * frame[c];
                right += m_rightGain[c] * frame[c];
            }
        }
        if (m_channels == 1)
        {
            m_input[f] = static_cast<std::int16_t>(std::lrint((left + right) / 2));
            continue;
        }
        m_input[f * 2] = static_cast<std::int16_t>(std::lrint(left));
        m_input[f * 2 + 1] = static_cast<std::int16_t>(std::lrint(right));
    }
}

// Mixes `frames` frames of the source's channels, in place, to stereo.
std::size_t COggVorbisDecoder::Downmix(std::uint8_t* pcm, std::size_t frames) const
{
    const std::size_t channels = m_mixChannels; // at most 255 in a Vorbis stream
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

bool COggVorbisDecoder::Seek(std::int64_t frame)
{
    if (!m_open)
        return false;
    frame = std::clamp<std::int64_t>(frame, 0, m_totalFrames);
    std::size_t at = 0; // the last usable link that starts at or before `frame`
    for (std::size_t i = 0; i < m_links.size(); ++i)
        if (m_links[i].usable && m_links[i].outStart <= frame)
            at = i;
    const Link& link = m_links[at];
    const std::int64_t within =
        std::min(FramesAtRate(frame - link.outStart, m_rate, link.rate), link.frames);
    const std::int64_t target = SaturatingAdd(link.layerStart, within);
    if (ov_pcm_seek(&m_stream, target) != 0)
        return false;
    // In a later link of a chain the layer may land a little past the
    // target; the position then follows where it is.
    const std::int64_t landed = ov_pcm_tell(&m_stream);
    if (landed != target && landed >= link.layerStart)
        frame = std::min(m_totalFrames,
                         link.outStart + FramesAtRate(landed - link.layerStart, link.rate, m_rate));
    // The next link read starts afresh, with a new filter if it needs one.
    m_link = -1;
    m_resampler.reset();
    m_ending.reset();
    m_input.clear();
    m_inputAt = 0;
    m_position = frame;
    return true;
}
