#include "audio/mpeg/MpegDecoder.h"

#include "io/DiskFile.h"

#include <mpg123.h>
#include <mutex>
#include <vector>

namespace
{
// The library wants one initialisation per process before any decoder.
void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Every rate the library knows, always as signed 16-bit, in the file's own
// channel layout.
void ForceSigned16(mpg123_handle* handle)
{
    mpg123_format_none(handle);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}
// Whether the first frame of the file carries an information frame (Xing,
// Info or VBRI) that tells the exact length. Without one the decoder only
// estimates the length from the file size.
bool HasInformationFrame(const std::string& path)
{
    CDiskFile file;
    if (!file.Open(path, CDiskFile::Mode::Read))
        return false;
    std::uint8_t head[10];
    std::uint64_t start = 0;
    if (file.ReadFully(head, sizeof head) == sizeof head && head[0] == 'I' && head[1] == 'D' &&
        head[2] == '3')
        start = 10 + ((head[6] & 0x7Fu) << 21 | (head[7] & 0x7Fu) << 14 | (head[8] & 0x7Fu) << 7 |
                      (head[9] & 0x7Fu));
    std::vector<std::uint8_t> block(16384);
    if (!file.Seek(start))
        return false;
    const std::int64_t got = file.ReadFully(block.data(), block.size());
    if (got <= 0)
        return false;
    block.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at + 4 < block.size(); ++at)
    {
        if (block[at] != 0xFF || (block[at + 1] & 0xE0) != 0xE0)
            continue;
        // The first frame: its information block lies within its first bytes.
        const std::string frame(block.begin() + static_cast<long>(at),
                                block.begin() +
                                    static_cast<long>(std::min(at + 200, block.size())));
        return frame.find("Xing") != std::string::npos || frame.find("Info") != std::string::npos ||
               frame.find("VBRI") != std::string::npos;
    }
    return false;
}
} // namespace

CMpegDecoder::~CMpegDecoder()
{
    Close();
}

bool CMpegDecoder::Open(const std::string& path, std::string& error)
{
    Close();
    {
        // The decoder's own message for a file it cannot open says little,
        // and a pipe or device would make it wait forever.
        CDiskFile probe;
        if (!probe.Open(path, CDiskFile::Mode::Read))
        {
            error = probe.ErrorText();
            return false;
        }
    }
    InitialiseLibrary();
    int result = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &result);
    if (!handle)
    {
        error = std::string("cannot start the MP3 decoder: ") + mpg123_plain_strerror(result);
        return false;
    }
    // Gapless: the encoder delay and padding an information frame declares
    // are cut off, so a file decodes to exactly the samples that were encoded.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Damaged stretches are skipped however long, so that the audio after
    // them is decoded too rather than taken for the end.
    mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0);
    ForceSigned16(handle);
    if (mpg123_open(handle, path.c_str()) != MPG123_OK)
    {
        error = std::string("cannot decode the file: ") + mpg123_strerror(handle);
        mpg123_delete(handle);
        return false;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK)
    {
        error = "no MPEG audio found in the file";
        mpg123_close(handle);
        mpg123_delete(handle);
        return false;
    }
    m_handle = handle;
    // Without an information frame the length is only estimated from the
    // first frames; a scan of the headers makes it exact.
    long accurate = 0;
    double ignored = 0;
    if (!HasInformationFrame(path) ||
        mpg123_getstate(handle, MPG123_ACCURATE, &accurate, &ignored) != MPG123_OK || !accurate)
        mpg123_scan(handle);
    const off_t samples = mpg123_length(handle);
    m_durationMs = samples > 0 ? SamplesToMs(samples) : 0;
    return true;
}

void CMpegDecoder::Close()
{
    if (m_handle)
    {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_durationMs = 0;
}

std::int64_t CMpegDecoder::DecodeBlock(std::uint8_t* buffer, std::size_t size)
{
    if (!m_handle)
        return -1;
    for (;;)
    {
        std::size_t done = 0;
        const int result = mpg123_read(m_handle, buffer, size, &done);
        // A new format is announced before the first bytes in it: go on.
        if (result == MPG123_NEW_FORMAT && done == 0)
            continue;
        if (done > 0)
            return static_cast<std::int64_t>(done);
        return result == MPG123_OK || result == MPG123_NEW_FORMAT ? 0 : -1;
    }
}

MpegOutputFormat CMpegDecoder::OutputFormat() const
{
    MpegOutputFormat format;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (m_handle && mpg123_getformat(m_handle, &rate, &channels, &encoding) == MPG123_OK)
    {
        format.sampleRate = static_cast<std::uint32_t>(rate);
        format.stereo = channels == 2;
    }
    return format;
}

void CMpegDecoder::SeekMs(std::int64_t milliseconds)
{
    const MpegOutputFormat format = OutputFormat();
    if (!m_handle || format.sampleRate == 0)
        return;
    const std::int64_t sample = milliseconds * format.sampleRate / 1000;
    mpg123_seek(m_handle, static_cast<off_t>(sample < 0 ? 0 : sample), SEEK_SET);
}

std::int64_t CMpegDecoder::DurationMs() const
{
    return m_durationMs;
}

std::int64_t CMpegDecoder::PositionMs() const
{
    if (!m_handle)
        return 0;
    const off_t sample = mpg123_tell(m_handle);
    return sample > 0 ? SamplesToMs(sample) : 0;
}

std::int64_t CMpegDecoder::SamplesToMs(std::int64_t samples) const
{
    const MpegOutputFormat format = OutputFormat();
    if (format.sampleRate == 0)
        return 0;
    return samples * 1000 / format.sampleRate;
}
