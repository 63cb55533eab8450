#pragma once

#include "io/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <vector>

// Bytes in memory as a byte source. Reads are served in pieces of at most
// `chunk` bytes, and the source can be made to fail once `failAt` bytes
// have been delivered.
class CMemorySource final : public IByteSource
{
public:
    explicit CMemorySource(std::vector<std::uint8_t> data, std::size_t chunk = 1 << 20)
        : m_data(std::move(data)), m_chunk(chunk)
    {
    }

    void FailAt(std::uint64_t offset) { m_failAt = offset; }
    std::size_t ReadCalls() const { return m_readCalls; }
    std::size_t SkipCalls() const { return m_skipCalls; }

    std::uint64_t Size() const override { return m_data.size(); }

    std::int64_t Read(std::uint8_t* dest, std::size_t count) override
    {
        ++m_readCalls;
        if (m_offset >= m_failAt)
            return -1;
        if (m_offset >= m_data.size())
            return 0;
        std::uint64_t available = std::min<std::uint64_t>(m_data.size(), m_failAt) - m_offset;
        std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>({count, m_chunk, available}));
        std::memcpy(dest, m_data.data() + m_offset, n);
        m_offset += n;
        return static_cast<std::int64_t>(n);
    }

    bool Skip(std::uint64_t count) override
    {
        ++m_skipCalls;
        m_offset += count;
        return true;
    }

    std::string ErrorText() const override { return "read error: Input/output error"; }

private:
    std::vector<std::uint8_t> m_data;
    std::size_t m_chunk;
    std::uint64_t m_offset = 0;
    std::uint64_t m_failAt = UINT64_MAX;
    std::size_t m_readCalls = 0;
    std::size_t m_skipCalls = 0;
};
