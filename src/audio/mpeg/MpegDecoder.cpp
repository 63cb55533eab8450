#include "audio/mpeg/MpegDecoder.h"

#include "check/MP3InformationFrame.h"
#include "check/MP3StreamStart.h"
#include "io/DiskFile.h"
#include "io/InputFile.h"

#include <cstdint>
#include <mpg123.h>
#include <mutex>

// The file as the decoder sees it: from its first frame on, so that junk and
// tags before the audio are never searched again. Offsets the decoder asks
// for count from that frame.
struct MpegFileView
{
    CDiskFile file;
    std::uint64_t start = 0;
    std::function<bool()> interrupted;
};

namespace
{
const char kNoAudio[] = "no MPEG audio found in the file";

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

ssize_t ReadView(void* handle, void* dest, std::size_t count)
{
    auto* view = static_cast<MpegFileView*>(handle);
    if (view->interrupted && view->interrupted())
        return -1;
    return static_cast<ssize_t>(view->file.Read(dest, count));
}

off_t SeekView(void* handle, off_t offset, int whence)
{
    auto* view = static_cast<MpegFileView*>(handle);
    std::uint64_t base = view->start;
    if ((whence == SEEK_CUR && !view->file.Tell(base)) ||
        (whence == SEEK_END && !view->file.Size(base)) ||
        (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END))
        return -1;
    // Nothing before the first frame is reachable, nor anything past 2^63.
    const auto from = static_cast<std::int64_t>(base);
    if (offset > 0 ? from > INT64_MAX - offset
                   : from + offset < static_cast<std::int64_t>(view->start))
        return -1;
    const auto target = static_cast<std::uint64_t>(from + offset);
    if (!view->file.Seek(target))
        return -1;
    return static_cast<off_t>(target - view->start);
}

} // namespace

CMpegDecoder::CMpegDecoder() = default;

CMpegDecoder::~CMpegDecoder()
{
    Close();
}

Status CMpegDecoder::Open(const std::string& path)
{
    Close();
    MP3StreamStart start;
    {
        // The decoder's own message for a file it cannot open says little,
        // and a pipe or device would make it wait forever.
        CInputFile probe;
        if (Status failed = probe.Open(path); !failed)
            return failed;
        if (Status failed = FindMP3StreamStart(probe, start); !failed)
            return failed;
    }
    if (!start.found)
        return Status::Failure(kNoAudio);
    m_view = std::make_unique<MpegFileView>();
    m_view->start = start.offset;
    m_view->interrupted = m_interrupted;
    if (!m_view->file.Open(path, CDiskFile::Mode::Read) || !m_view->file.Seek(start.offset))
    {
        Status failed = Status::Failure(m_view->file.ErrorText());
        Close();
        return failed;
    }

    InitialiseLibrary();
    int result = MPG123_OK;
    m_handle = mpg123_new(nullptr, &result);
    if (!m_handle)
    {
        Status failed = Status::Failure(std::string("cannot start the MP3 decoder: ") +
                                        mpg123_plain_strerror(result));
        Close();
        return failed;
    }
    // Gapless: the encoder delay and padding an information frame declares
    // are cut off, so a file decodes to exactly the samples that were encoded.
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Damaged stretches after the start are skipped however long, so that
    // the audio after them is decoded too rather than taken for the end.
    mpg123_param(m_handle, MPG123_RESYNC_LIMIT, -1, 0);
    ForceSigned16(m_handle);
    if (mpg123_replace_reader_handle(m_handle, ReadView, SeekView, nullptr) != MPG123_OK ||
        mpg123_open_handle(m_handle, m_view.get()) != MPG123_OK)
    {
        Status failed =
            Status::Failure(std::string("cannot decode the file: ") + mpg123_strerror(m_handle));
        Close();
        return failed;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK)
    {
        Status failed = Status::Failure(kNoAudio);
        Close();
        return failed;
    }
    // Without an information frame the length is only estimated from the
    // first frames, and one that declares more than the file holds (a cut
    // file, a corrupt count) is wrong: a scan of the headers makes it exact.
    // The library then drops the gapless trimming the frame asked for when
    // the frames are fewer than declared.
    const MP3InformationFrame info = ReadInformationFrame(start);
    long accurate = 0;
    double ignored = 0;
    if (!info.present || !info.hasFrames || DeclaresMoreThanTheFileHolds(info, start) ||
        mpg123_getstate(m_handle, MPG123_ACCURATE, &accurate, &ignored) != MPG123_OK || !accurate)
        mpg123_scan(m_handle);
    if (m_interrupted && m_interrupted())
    {
        Status failed = Status::Failure("interrupted");
        Close();
        return failed;
    }
    const off_t samples = mpg123_length(m_handle);
    m_durationMs = samples > 0 ? SamplesToMs(samples) : 0;
    return {};
}

void CMpegDecoder::Close()
{
    if (m_handle)
    {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_view.reset();
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
