#pragma once

#include "io/DiskFile.h"
#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Random access to a file through one window of its bytes, for a scan that
// mostly moves forward but sometimes steps back a frame. The file's size is
// taken once, at Open; nothing beyond it is ever asked for.
class CFileWindow
{
public:
    static constexpr std::size_t kWindowSize = 1 << 20;

    // Fails when the file cannot be opened or sized.
    Status Open(const std::string& path);
    std::uint64_t Size() const { return m_size; }

    // The `count` bytes (at most a quarter of the window) at `offset`, or
    // null when they lie beyond the file or a read failed (Failed() tells).
    const std::uint8_t* At(std::uint64_t offset, std::size_t count);
    // Reads the big-endian word at `offset` into `word`; false like At.
    bool WordAt(std::uint64_t offset, std::uint32_t& word);

    bool Failed() const { return m_failed; }
    std::string ErrorText() const { return m_file.ErrorText(); }

private:
    bool Load(std::uint64_t offset);

    CDiskFile m_file;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_start = 0; // file offset of m_bytes[0]
    bool m_failed = false;
};
