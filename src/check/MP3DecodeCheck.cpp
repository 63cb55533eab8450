#include "check/MP3DecodeCheck.h"

#include "check/IProgressSink.h"
#include "check/MP3HeaderCache.h"
#include "check/MP3SideInfo.h"
#include "check/MP3Timing.h"
#include "io/DiskFile.h"
#include "io/Status.h"

#include <algorithm>
#include <cstring>
#include <mpg123.h>
#include <mutex>
#include <vector>

namespace
{
constexpr std::uint64_t kFramesBetweenQuestions = 64;
constexpr std::uint64_t kHeaderBytes = 4;
// The last values of a block that tell whether its audio was still sounding.
constexpr std::size_t kRingingValues = 32;

void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

bool AllSilent(const float* samples, std::size_t count)
{
    return std::all_of(samples, samples + count, [](float s) { return s == 0.0f; });
}

// The state of one file's decode: where the next frame was due, the time
// decoded so far, and whether the audio just before was silent.
class CFrameAudit
{
public:
    explicit CFrameAudit(MP3DecodeResult& result) : m_result(result) {}

    void Frame(std::uint64_t offset, std::uint32_t headerWord, const std::uint8_t* body,
               std::size_t bodyBytes)
    {
        ++m_result.frames;
        m_frameBad = false;
        if (m_result.frames > 1 && offset > m_due)
            Fault(MP3DecodeFaultKind::Skipped, m_due, offset - m_due);
        m_due = offset + kHeaderBytes + bodyBytes;
        m_offset = offset;
        m_side = ReadMP3SideInfo(m_headers.Decode(headerWord), body, bodyBytes);
        if (m_side.faulty)
            Fault(m_side.fault, offset, 0);
    }

    // The frame's decoded samples, interleaved floats. A real decode never
    // falls silent at once: the synthesis filters ring on for hundreds of
    // samples after the last coded value. So a granule of exact silence right
    // after audio that had not died away is the decoder's stand-in for data
    // it gave up on.
    void Decoded(const float* samples, std::size_t count, int channels, long rate)
    {
        const int blocks = m_side.read ? m_side.granules : 1;
        const std::size_t blockValues = count / static_cast<std::size_t>(blocks);
        const std::size_t tail = std::min(blockValues, kRingingValues);
        for (int b = 0; b < blocks && blockValues > 0; ++b)
        {
            const float* block = samples + blockValues * static_cast<std::size_t>(b);
            if (m_ringing && AllSilent(block, blockValues))
                Fault(MP3DecodeFaultKind::Concealed, m_offset, 0);
            m_ringing = !AllSilent(block + blockValues - tail, tail);
        }
        m_ticks += MP3SampleTicks(count / static_cast<std::size_t>(std::max(channels, 1)), rate);
    }

    void Refused() { Fault(MP3DecodeFaultKind::Rejected, m_offset, 0); }

private:
    void Fault(MP3DecodeFaultKind kind, std::uint64_t offset, std::uint64_t bytes)
    {
        // A skipped stretch is a fault of its own; a frame counts once.
        if (kind != MP3DecodeFaultKind::Skipped)
        {
            if (m_frameBad)
                return;
            m_frameBad = true;
        }
        ++m_result.badFrames;
        if (m_result.faults.size() < MP3DecodeResult::kMaxRecordedFaults)
            m_result.faults.push_back({kind, offset, m_ticks, bytes});
    }

    MP3DecodeResult& m_result;
    CMP3HeaderCache m_headers;
    MP3SideInfo m_side;
    std::uint64_t m_due = 0;
    std::uint64_t m_offset = 0;
    std::uint64_t m_ticks = 0;
    bool m_frameBad = false;
    bool m_ringing = false; // the last samples decoded were not silent
};
} // namespace

namespace
{
// The file as the decoder reads it: in large pieces, where the library on
// its own asks the system for every header and every frame body.
class CBufferedFile
{
public:
    static constexpr std::size_t kPiece = 1 << 16;

    Status Open(const std::string& path)
    {
        m_failed = false;
        m_buffer.resize(kPiece);
        m_start = m_used = m_filled = 0;
        if (m_file.Open(path, CDiskFile::Mode::Read))
            return {};
        return Status::Failure(m_file.ErrorText());
    }

    std::int64_t Read(std::uint8_t* dest, std::size_t count)
    {
        std::size_t done = 0;
        while (done < count)
        {
            if (m_used == m_filled && !Refill())
                return done > 0 ? static_cast<std::int64_t>(done) : (m_failed ? -1 : 0);
            const std::size_t piece = std::min(count - done, m_filled - m_used);
            std::memcpy(dest + done, m_buffer.data() + m_used, piece);
            m_used += piece;
            done += piece;
        }
        return static_cast<std::int64_t>(done);
    }

    // Returns the new offset, or -1.
    std::int64_t Seek(std::int64_t offset, int whence)
    {
        std::uint64_t base = 0;
        if (whence == SEEK_CUR)
            base = m_start + m_used;
        else if (whence == SEEK_END && !m_file.Size(base))
            return -1;
        else if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
            return -1;
        if (offset < 0 ? base < static_cast<std::uint64_t>(-offset)
                       : base > static_cast<std::uint64_t>(INT64_MAX - offset))
            return -1;
        const std::uint64_t target = offset < 0 ? base - static_cast<std::uint64_t>(-offset)
                                                : base + static_cast<std::uint64_t>(offset);
        if (target >= m_start && target <= m_start + m_filled)
            m_used = static_cast<std::size_t>(target - m_start);
        else if (m_file.Seek(target))
        {
            m_start = target;
            m_used = m_filled = 0;
        }
        else
            return -1;
        return static_cast<std::int64_t>(target);
    }

    void Close() { m_file.Close(); }

private:
    bool Refill()
    {
        m_start += m_filled;
        m_used = m_filled = 0;
        const std::int64_t got = m_file.Read(m_buffer.data(), m_buffer.size());
        m_failed = got < 0;
        if (got <= 0)
            return false;
        m_filled = static_cast<std::size_t>(got);
        return true;
    }

    CDiskFile m_file;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_start = 0; // file offset of the buffer's first byte
    std::size_t m_used = 0;
    std::size_t m_filled = 0;
    bool m_failed = false;
};

ssize_t ReadBuffered(void* handle, void* dest, std::size_t count)
{
    return static_cast<ssize_t>(
        static_cast<CBufferedFile*>(handle)->Read(static_cast<std::uint8_t*>(dest), count));
}

off_t SeekBuffered(void* handle, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<CBufferedFile*>(handle)->Seek(offset, whence));
}
} // namespace

struct CMP3DecodeCheck::Decoder
{
    mpg123_handle* handle = nullptr;
    CBufferedFile file;

    ~Decoder()
    {
        if (handle)
            mpg123_delete(handle);
    }
};

CMP3DecodeCheck::CMP3DecodeCheck() = default;
CMP3DecodeCheck::~CMP3DecodeCheck() = default;

namespace
{
// Whole frames as the stream has them: no gapless trimming, the
// information frame decoded like any other (it codes silence), tags skipped
// unread, and damage searched through however long. Float samples, so that
// quiet audio is never rounded to exact silence.
Status NewHandle(mpg123_handle*& made)
{
    InitialiseLibrary();
    int result = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &result);
    if (!handle)
        return Status::Failure(std::string("cannot start the MP3 decoder: ") +
                               mpg123_plain_strerror(result));
    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_QUIET | MPG123_IGNORE_INFOFRAME | MPG123_SKIP_ID3V2, 0);
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0);
    mpg123_replace_reader_handle(handle, ReadBuffered, SeekBuffered, nullptr);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    made = handle;
    return {};
}
} // namespace

void CMP3DecodeCheck::Check(const std::string& path, MP3CheckResult& result,
                            IProgressSink* progress)
{
    MP3DecodeResult& decode = result.decode;
    decode = MP3DecodeResult{};
    decode.done = true;
    if (!m_decoder)
        m_decoder = std::make_unique<Decoder>();
    if (!m_decoder->handle)
        if (Status started = NewHandle(m_decoder->handle); !started)
        {
            decode.failure = started.Reason();
            return;
        }
    mpg123_handle* handle = m_decoder->handle;
    if (Status opened = m_decoder->file.Open(path); !opened)
    {
        decode.failure = opened.Reason();
        return;
    }
    if (mpg123_open_handle(handle, &m_decoder->file) != MPG123_OK)
    {
        decode.failure = mpg123_strerror(handle);
        return;
    }

    CFrameAudit audit(decode);
    long rate = 0;
    int channels = 0, encoding = 0;
    for (;;)
    {
        if (decode.frames % kFramesBetweenQuestions == 0)
        {
            if (m_stop && m_stop())
            {
                decode.failure = "interrupted";
                break;
            }
            if (progress && result.fileSize > 0)
                progress->SetProgress(static_cast<int>(std::min<std::uint64_t>(
                    100, static_cast<std::uint64_t>(std::max<off_t>(mpg123_framepos(handle), 0)) *
                             100 / result.fileSize)));
        }
        const int next = mpg123_framebyframe_next(handle);
        // A decoder used before tells no new format when the next file has
        // the same one.
        if (next == MPG123_NEW_FORMAT || (next == MPG123_OK && rate == 0))
            mpg123_getformat(handle, &rate, &channels, &encoding);
        if (next == MPG123_DONE)
            break;
        if (next != MPG123_OK && next != MPG123_NEW_FORMAT)
        {
            decode.failure = mpg123_strerror(handle);
            break;
        }
        unsigned long header = 0;
        unsigned char* body = nullptr;
        std::size_t bodyBytes = 0;
        if (mpg123_framedata(handle, &header, &body, &bodyBytes) != MPG123_OK || !body)
            bodyBytes = 0;
        audit.Frame(static_cast<std::uint64_t>(std::max<off_t>(mpg123_framepos(handle), 0)),
                    static_cast<std::uint32_t>(header), body, bodyBytes);

        off_t number = 0;
        unsigned char* audio = nullptr;
        std::size_t audioBytes = 0;
        if (mpg123_framebyframe_decode(handle, &number, &audio, &audioBytes) != MPG123_OK || !audio)
            audit.Refused();
        else
            audit.Decoded(reinterpret_cast<const float*>(audio), audioBytes / sizeof(float),
                          channels, rate);
    }
    mpg123_close(handle);
    m_decoder->file.Close();
}
