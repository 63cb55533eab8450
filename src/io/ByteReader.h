#pragma once

#include "io/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Buffered, forward-only reading of a byte source with cheap single-byte and
// four-byte reads for parsers that walk a stream. Skips that leave the buffer
// become seeks, so skipped data is never copied.
//
// A read error ends the stream: every later read behaves as at the end, and
// Failed() tells the two apart.
class CByteReader
{
public:
    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

    explicit CByteReader(IByteSource& source, std::size_t bufferSize = kDefaultBufferSize);
    CByteReader(const CByteReader&) = delete;
    CByteReader& operator=(const CByteReader&) = delete;

    // Next byte (0-255), or -1 at the end of the data.
    int ReadByte()
    {
        if (m_next == m_end && !Refill())
            return -1;
        return *m_next++;
    }

    // Reads up to four bytes and shifts each into `word` from the right.
    // Returns how many were read; fewer than four only at the end.
    unsigned ReadWord(std::uint32_t& word)
    {
        if (m_end - m_next >= 4)
        {
            // Four shifts push out every older bit: the result is the bytes alone.
            word = static_cast<std::uint32_t>(m_next[0]) << 24 |
                   static_cast<std::uint32_t>(m_next[1]) << 16 |
                   static_cast<std::uint32_t>(m_next[2]) << 8 | m_next[3];
            m_next += 4;
            return 4;
        }
        return ReadWordSlow(word);
    }

    // Moves `count` bytes forward, past the end if asked.
    void Skip(std::uint64_t count)
    {
        if (count <= static_cast<std::uint64_t>(m_end - m_next))
            m_next += count;
        else
            SkipSlow(count);
    }

    // Direct access to the bytes already buffered, for parsers with a fast
    // path: look at up to Buffered() bytes from Peek(), then Advance past them.
    const std::uint8_t* Peek() const { return m_next; }
    std::size_t Buffered() const { return static_cast<std::size_t>(m_end - m_next); }
    void Advance(std::size_t count) { m_next += count; } // count <= Buffered()

    // Bytes consumed from the start of the source: read or skipped.
    std::uint64_t Offset() const
    {
        return m_bufferOffset + static_cast<std::uint64_t>(m_next - m_buffer.get());
    }

    bool Failed() const { return m_failed; }

private:
    bool Refill();
    unsigned ReadWordSlow(std::uint32_t& word);
    void SkipSlow(std::uint64_t count);

    IByteSource& m_source;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_capacity;
    const std::uint8_t* m_next;
    const std::uint8_t* m_end;
    std::uint64_t m_bufferOffset = 0; // source offset of m_buffer[0]
    bool m_failed = false;
};
