#pragma once

#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct mpg123_handle_struct;
struct MpegFileView;

// Rate and channel layout of the decoder's output.
struct MpegOutputFormat
{
    std::uint32_t sampleRate = 0;
    bool stereo = false;
};

// An MPEG audio decoder for one file: open, decode blocks of signed 16-bit
// interleaved PCM, the output format, seek, duration and position, all in
// milliseconds. Owns the decoder; closes it when destroyed.
class CMpegDecoder
{
public:
    CMpegDecoder();
    ~CMpegDecoder();
    CMpegDecoder(const CMpegDecoder&) = delete;
    CMpegDecoder& operator=(const CMpegDecoder&) = delete;

    // Opens `path` (UTF-8). The decoder is given the file from its first MPEG
    // frame, which must lie within the first MiB after the ID3v2 tags: a file
    // that is not audio is refused at once rather than searched to its end.
    // The duration is exact: taken from the information frame, or from a scan
    // of the whole file when there is none or its counts cannot be true.
    Status Open(const std::string& path);
    // Asked whenever the decoder reads: once it holds, reading fails, so that
    // a scan of a large file ends at once (Open then fails). Unset, it never does.
    void SetInterrupt(std::function<bool()> interrupted) { m_interrupted = std::move(interrupted); }
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    // Decodes the next block into `buffer`: the bytes written, 0 or less at the end.
    std::int64_t DecodeBlock(std::uint8_t* buffer, std::size_t size);
    MpegOutputFormat OutputFormat() const;
    void SeekMs(std::int64_t milliseconds);
    std::int64_t DurationMs() const;
    std::int64_t PositionMs() const;

private:
    std::int64_t SamplesToMs(std::int64_t samples) const;

    std::unique_ptr<MpegFileView> m_view; // what the decoder reads
    mpg123_handle_struct* m_handle = nullptr;
    std::int64_t m_durationMs = 0;
    std::function<bool()> m_interrupted;
};
