#include "io/InputFile.h"

#include <cstdint>

Status CInputFile::Open(const std::string& path)
{
    m_size = 0;
    if (!m_file.Open(path, CDiskFile::Mode::Read) || !m_file.Size(m_size))
    {
        Status failed = Status::Failure(m_file.ErrorText());
        m_file.Close();
        return failed;
    }
    m_file.AdviseSequential();
    return {};
}

std::int64_t CInputFile::Read(std::uint8_t* dest, std::size_t count)
{
    return m_file.Read(dest, count);
}

bool CInputFile::Skip(std::uint64_t count)
{
    if (count > static_cast<std::uint64_t>(INT64_MAX))
        count = static_cast<std::uint64_t>(INT64_MAX);
    return m_file.SeekBy(static_cast<std::int64_t>(count));
}
