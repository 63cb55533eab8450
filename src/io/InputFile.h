#pragma once

#include "io/ByteSource.h"

#include <string>

// A regular file opened for reading. Owns its descriptor; closes it on
// destruction. Folders, devices and pipes are refused, since a reader needs a
// stream with an end and a size.
class CInputFile final : public IByteSource
{
public:
    CInputFile() = default;
    ~CInputFile() override;
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    // Opens `path` (UTF-8). On failure returns false and sets `error` to the
    // reason in plain words (no path: the caller names the file).
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    std::uint64_t Size() const override { return m_size; }
    std::int64_t Read(std::uint8_t* dest, std::size_t count) override;
    bool Skip(std::uint64_t count) override;
    std::string ErrorText() const override;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    int m_lastError = 0;
};
