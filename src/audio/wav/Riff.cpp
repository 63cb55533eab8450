#include "audio/wav/Riff.h"

#include "io/FileException.h"
#include "io/Paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace
{
constexpr std::size_t kWriteBufferSize = 64 * 1024;
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFull;
} // namespace

void PutLE32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLE32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

bool RiffChunk::Is(const char* name) const
{
    return std::memcmp(id, name, 4) == 0;
}

Status CRiffReader::ReadWaveHeader()
{
    std::uint8_t header[12];
    if (!m_file.Size(m_fileSize) || !m_file.Seek(0))
        return Status::Failure(m_file.ErrorText());
    const std::int64_t got = m_file.ReadFully(header, sizeof header);
    if (got < 0)
        return Status::Failure(m_file.ErrorText());
    if (got < 12 || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return Status::Failure("not a RIFF WAVE file");
    // Streaming writers leave the size at 0 or 0xFFFFFFFF: trust the file's end then.
    const std::uint32_t riffSize = GetLE32(header + 4);
    const std::uint64_t declaredEnd = 8 + static_cast<std::uint64_t>(riffSize);
    m_listEnd = riffSize < 4 ? m_fileSize : std::min(declaredEnd, m_fileSize);
    return {};
}

bool CRiffReader::ChunkAt(std::uint64_t offset, RiffChunk& chunk)
{
    if (offset + 8 > m_listEnd || !m_file.Seek(offset))
        return false;
    std::uint8_t header[8];
    if (m_file.ReadFully(header, sizeof header) != 8)
        return false;
    std::memcpy(chunk.id, header, 4);
    chunk.size = GetLE32(header + 4);
    chunk.dataOffset = offset + 8;
    return true;
}

bool CRiffReader::Find(const char* id, std::uint64_t offset, RiffChunk& chunk)
{
    while (ChunkAt(offset, chunk))
    {
        if (chunk.Is(id))
            return true;
        offset = chunk.End();
    }
    return false;
}

std::uint32_t CRiffReader::Available(const RiffChunk& chunk) const
{
    if (chunk.dataOffset >= m_fileSize)
        return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(chunk.size, m_fileSize - chunk.dataOffset));
}

bool CRiffReader::ReadData(const RiffChunk& chunk, std::vector<std::uint8_t>& data,
                           std::size_t count)
{
    count = std::min<std::size_t>(count, Available(chunk));
    data.resize(count);
    if (!m_file.Seek(chunk.dataOffset))
        return false;
    return m_file.ReadFully(data.data(), count) == static_cast<std::int64_t>(count);
}

CRiffWaveWriter::~CRiffWaveWriter()
{
    if (m_file.IsOpen())
        Abandon();
}

void CRiffWaveWriter::Create(const std::string& path, const std::vector<std::uint8_t>& formatBlock)
{
    m_path = path;
    m_inData = false;
    m_dataBytes = 0;
    if (!m_file.Open(path, CDiskFile::Mode::Create))
        throw CFileException(CFileException::kDiskFull, m_file.ErrorText(), path);
    m_buffer.clear();
    m_buffer.reserve(kWriteBufferSize);
    std::uint8_t header[20];
    std::memcpy(header, "RIFF", 4);
    PutLE32(header + 4, 0); // settled by Finish
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLE32(header + 16, static_cast<std::uint32_t>(formatBlock.size()));
    Write(header, sizeof header);
    Write(formatBlock.data(), formatBlock.size());
    if (formatBlock.size() % 2 != 0)
        Write("", 1);
    std::uint8_t dataHeader[8];
    std::memcpy(dataHeader, "data", 4);
    PutLE32(dataHeader + 4, 0);
    Write(dataHeader, sizeof dataHeader);
    m_dataStart = m_buffer.size(); // nothing has been flushed yet
    m_inData = true;
}

void CRiffWaveWriter::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (count > 0)
    {
        const std::size_t room = kWriteBufferSize - m_buffer.size();
        const std::size_t piece = std::min(room, count);
        m_buffer.insert(m_buffer.end(), bytes, bytes + piece);
        bytes += piece;
        count -= piece;
        if (m_inData)
            m_dataBytes += piece;
        if (m_buffer.size() == kWriteBufferSize)
            Flush();
    }
    if (m_dataStart + m_dataBytes > kMaxRiffSize - 8)
        Fail("the audio is too long for a WAV file (4 GB at most)");
}

void CRiffWaveWriter::Flush()
{
    if (!m_buffer.empty() && !m_file.Write(m_buffer.data(), m_buffer.size()))
        Fail(m_file.ErrorText());
    m_buffer.clear();
}

void CRiffWaveWriter::Finish()
{
    const std::uint64_t dataBytes = m_dataBytes;
    if (dataBytes % 2 != 0)
    {
        m_buffer.push_back(0);
    }
    Flush();
    const std::uint64_t end = m_dataStart + dataBytes + (dataBytes & 1u);
    std::uint8_t size[4];
    PutLE32(size, static_cast<std::uint32_t>(end - 8));
    if (!m_file.Seek(4) || !m_file.Write(size, 4))
        Fail(m_file.ErrorText());
    PutLE32(size, static_cast<std::uint32_t>(dataBytes));
    if (!m_file.Seek(m_dataStart - 4) || !m_file.Write(size, 4))
        Fail(m_file.ErrorText());
    m_file.Close();
}

void CRiffWaveWriter::Fail(const std::string& reason)
{
    Abandon();
    throw CFileException(CFileException::kDiskFull, reason, m_path);
}

void CRiffWaveWriter::Abandon()
{
    m_file.Close();
    m_buffer.clear();
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(m_path), ignored);
}
