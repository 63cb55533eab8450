#include "support/MP3StreamBuilder.h"

#include "support/WaveBuilder.h"

CMP3StreamBuilder& CMP3StreamBuilder::Frame(std::uint32_t header, std::size_t length)
{
    const std::size_t start = m_data.size();
    m_data.resize(start + length, 0);
    for (std::size_t i = 0; i < 4 && i < length; ++i)
        m_data[start + i] = static_cast<std::uint8_t>(header >> (24 - 8 * i));
    return *this;
}

CMP3StreamBuilder& CMP3StreamBuilder::Frames(std::uint32_t header, std::size_t length,
                                             std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        Frame(header, length);
    return *this;
}

CMP3StreamBuilder& CMP3StreamBuilder::Bytes(const std::vector<std::uint8_t>& bytes)
{
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

CMP3StreamBuilder& CMP3StreamBuilder::Text(const std::string& text)
{
    m_data.insert(m_data.end(), text.begin(), text.end());
    return *this;
}

CMP3StreamBuilder& CMP3StreamBuilder::Zeros(std::size_t count)
{
    m_data.resize(m_data.size() + count, 0);
    return *this;
}

CMP3StreamBuilder& CMP3StreamBuilder::Id3v2(std::uint32_t size)
{
    Text("ID3");
    Bytes({4, 0, 0});
    Bytes({static_cast<std::uint8_t>(size >> 21 & 0x7F),
           static_cast<std::uint8_t>(size >> 14 & 0x7F),
           static_cast<std::uint8_t>(size >> 7 & 0x7F), static_cast<std::uint8_t>(size & 0x7F)});
    return Zeros(size);
}

CMP3StreamBuilder& CMP3StreamBuilder::Id3v1()
{
    std::string tag = "TAGSome Title";
    tag.resize(128, ' ');
    return Text(tag);
}

void CMP3StreamBuilder::WriteTo(const std::string& path) const
{
    WriteFileBytes(path, m_data);
}
