#pragma once

#include "io/ByteSource.h"
#include "io/DiskFile.h"
#include "io/Status.h"

#include <string>

// A regular file read from start to end as a byte source.
class CInputFile final : public IByteSource
{
public:
    // Opens `path` (UTF-8).
    Status Open(const std::string& path);
    void Close() { m_file.Close(); }
    bool IsOpen() const { return m_file.IsOpen(); }

    std::uint64_t Size() const override { return m_size; }
    std::int64_t Read(std::uint8_t* dest, std::size_t count) override;
    bool Skip(std::uint64_t count) override;
    std::string ErrorText() const override { return m_file.ErrorText(); }

private:
    CDiskFile m_file;
    std::uint64_t m_size = 0;
};
