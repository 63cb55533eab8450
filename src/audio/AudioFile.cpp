#include "audio/AudioFile.h"

#include "io/Paths.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#ifndef _WIN32
#include <unistd.h>
#endif

bool CAudioFile::IsReadOnly() const
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = PathFromUtf8(m_Path);
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status))
        return false;
    const auto writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writeBits) == fs::perms::none)
        return true;
#ifndef _WIN32
    return access(path.c_str(), W_OK) != 0;
#else
    return false;
#endif
}

Status CAudioFile::Validate()
{
    if (m_Changed)
    {
        m_validity = Open(kOpenParse);
        if (m_validity && HasFormat())
            m_validity = Status::Failure("the file cannot be read as audio");
        m_Changed = false;
    }
    return m_validity;
}

void CAudioFile::SetPath(const std::string& path)
{
    m_Path = path;
    m_Changed = true;
    m_validity = Status::Failure("not opened yet");
}

void CAudioFile::Seek(std::int32_t) {}

std::size_t CAudioFile::WantedBytes(std::size_t size, std::size_t count, std::size_t capacity)
{
    std::size_t wanted = capacity;
    if (count == 0 || size <= capacity / count)
        wanted = std::min(size * count, capacity);
    return std::min<std::size_t>(wanted, std::numeric_limits<std::int32_t>::max());
}

namespace
{
bool IsForbiddenInName(char c)
{
    switch (c)
    {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

std::size_t NameStart(const std::string& path)
{
#ifdef _WIN32
    const auto separator = path.find_last_of("\\/");
#else
    const auto separator = path.find_last_of('/');
#endif
    return separator == std::string::npos ? 0 : separator + 1;
}
} // namespace

std::string MakeValidFileName(const std::string& name, bool keepFolder)
{
    std::string valid = name;
    for (std::size_t i = keepFolder ? NameStart(name) : 0; i < valid.size(); ++i)
        if (IsForbiddenInName(valid[i]))
            valid[i] = '_';
    return valid;
}
