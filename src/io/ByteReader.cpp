#include "io/ByteReader.h"

CByteReader::CByteReader(IByteSource& source, std::size_t bufferSize)
    : m_source(source), m_buffer(std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize)),
      m_capacity(bufferSize), m_next(m_buffer.get()), m_end(m_buffer.get())
{
}

bool CByteReader::Refill()
{
    m_bufferOffset = Offset();
    m_next = m_end = m_buffer.get();
    if (m_failed)
        return false;
    std::int64_t got = m_source.Read(m_buffer.get(), m_capacity);
    if (got < 0)
    {
        m_failed = true;
        return false;
    }
    m_end = m_buffer.get() + got;
    return got > 0;
}

unsigned CByteReader::ReadWordSlow(std::uint32_t& word)
{
    unsigned count = 0;
    for (; count < 4; ++count)
    {
        int byte = ReadByte();
        if (byte < 0)
            break;
        word = word << 8 | static_cast<std::uint32_t>(byte);
    }
    return count;
}

void CByteReader::SkipSlow(std::uint64_t count)
{
    std::uint64_t target = Offset() + count;
    std::uint64_t pastBuffer =
        target - (m_bufferOffset + static_cast<std::uint64_t>(m_end - m_buffer.get()));
    m_bufferOffset = target;
    m_next = m_end = m_buffer.get();
    if (!m_failed && !m_source.Skip(pastBuffer))
        m_failed = true;
}
