#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A regular file on disk, owned: closed on destruction. Folders, devices and
// pipes are refused, since every reader here needs an end and a size.
// Failures return false (or -1) and leave the system's reason in ErrorText().
class CDiskFile
{
public:
    enum class Mode
    {
        Read,      // existing file, read only
        ReadWrite, // existing file, read and write
        Create,    // new or truncated file, read and write
    };

    CDiskFile() = default;
    ~CDiskFile();
    CDiskFile(const CDiskFile&) = delete;
    CDiskFile& operator=(const CDiskFile&) = delete;

    // `path` is UTF-8.
    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to `count` bytes at the current offset: the number read, 0 at
    // the end, -1 on an error.
    std::int64_t Read(void* dest, std::size_t count);
    // Reads until `count` bytes are in or the file ends; the number read, or -1.
    std::int64_t ReadFully(void* dest, std::size_t count);
    // Writes all `count` bytes or fails.
    bool Write(const void* data, std::size_t count);
    // Waits until what was written is on the disk.
    bool Sync();
    bool Seek(std::uint64_t offset);
    bool SeekBy(std::int64_t delta);
    bool Tell(std::uint64_t& offset);
    // Current size of the file, or false on an error.
    bool Size(std::uint64_t& size);

    // Tells the system the file will be read from start to end.
    void AdviseSequential();

    // Why the last operation failed, in plain words (no path).
    const std::string& ErrorText() const { return m_error; }

private:
    bool Fail(const std::string& what);

    int m_fd = -1;
    std::string m_error;
};
