#pragma once

#include "io/DiskFile.h"
#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One chunk of a RIFF file: a four-character identifier, the size its header
// declares and where its data starts. Chunks are word-aligned: an odd-sized
// chunk is followed by a pad byte.
struct RiffChunk
{
    char id[4] = {0, 0, 0, 0};
    std::uint32_t size = 0;
    std::uint64_t dataOffset = 0;

    bool Is(const char* name) const;
    std::uint64_t HeaderOffset() const { return dataOffset - 8; }
    std::uint64_t End() const { return dataOffset + size + (size & 1u); }
};

// Walks the chunks of a RIFF WAVE file. Sizes are not trusted: the chunk
// list ends where the RIFF size says or where the file ends, whichever comes
// first, and a chunk's data is never taken from beyond the end of the file.
class CRiffReader
{
public:
    explicit CRiffReader(CDiskFile& file) : m_file(file) {}

    // Reads "RIFF", the size and "WAVE" at the start of the file.
    Status ReadWaveHeader();

    static constexpr std::uint64_t kFirstChunk = 12;
    // The chunk whose header is at `offset`; false past the end of the list.
    bool ChunkAt(std::uint64_t offset, RiffChunk& chunk);
    // The first chunk named `id` at or after `offset`.
    bool Find(const char* id, std::uint64_t offset, RiffChunk& chunk);
    // How many bytes of the chunk's data the file really holds.
    std::uint32_t Available(const RiffChunk& chunk) const;
    // Reads up to `count` bytes of the chunk's data from its start.
    bool ReadData(const RiffChunk& chunk, std::vector<std::uint8_t>& data, std::size_t count);

    std::uint64_t FileSize() const { return m_fileSize; }

private:
    CDiskFile& m_file;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_listEnd = 0;
};

// Writes a new RIFF WAVE file: the header, a "fmt " chunk, a "data" chunk
// filled through a buffer, then the sizes. Every failure closes the file,
// removes it (a half-written file is no use to anyone) and raises
// CFileException with the path. A writer dropped before Finish removes its
// file too.
class CRiffWaveWriter
{
public:
    CRiffWaveWriter() = default;
    ~CRiffWaveWriter();
    CRiffWaveWriter(const CRiffWaveWriter&) = delete;
    CRiffWaveWriter& operator=(const CRiffWaveWriter&) = delete;

    void Create(const std::string& path, const std::vector<std::uint8_t>& formatBlock);
    void Write(const void* data, std::size_t count);
    // Writes what is buffered, the pad byte of an odd data chunk and both
    // chunk sizes, then closes the file.
    void Finish();
    bool IsOpen() const { return m_file.IsOpen(); }

private:
    void Flush();
    [[noreturn]] void Fail(const std::string& reason);
    void Abandon();

    CDiskFile m_file;
    std::string m_path;
    std::vector<std::uint8_t> m_buffer;
    bool m_inData = false;
    std::uint64_t m_dataStart = 0; // file offset of the first data byte
    std::uint64_t m_dataBytes = 0;
};

void PutLE32(std::uint8_t* at, std::uint32_t value);
std::uint32_t GetLE32(const std::uint8_t* at);
