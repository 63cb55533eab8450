#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A forward-only stream of bytes with a known size, read in blocks.
// Files are the real source; tests supply generated or failing ones.
class IByteSource
{
public:
    virtual ~IByteSource() = default;

    // Size in bytes as reported when the source was opened. A file may still
    // grow or shrink while it is read, so readers must not trust it as a limit.
    virtual std::uint64_t Size() const = 0;

    // Reads up to `count` bytes into `dest`. Returns the number of bytes read,
    // 0 at the end of the data, or -1 on a read error (see ErrorText).
    virtual std::int64_t Read(std::uint8_t* dest, std::size_t count) = 0;

    // Moves `count` bytes forward without delivering them. Moving past the end
    // is allowed: later reads then return 0. Returns false on an error.
    virtual bool Skip(std::uint64_t count) = 0;

    // Why the last Read or Skip failed, in plain words ("read error: ...").
    virtual std::string ErrorText() const = 0;
};

// Reads through `read` (which takes a place and a count and returns the
// bytes read, 0 at the end or -1 on an error) until `count` bytes are there
// or the data ends: the bytes read, or -1 on an error.
std::int64_t ReadUntilFull(const std::function<std::int64_t(std::uint8_t*, std::size_t)>& read,
                           std::uint8_t* dest, std::size_t count);
