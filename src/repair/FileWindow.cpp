#include "repair/FileWindow.h"

#include <algorithm>

Status CFileWindow::Open(const std::string& path)
{
    if (!m_file.Open(path, CDiskFile::Mode::Read) || !m_file.Size(m_size))
        return Status::Failure(m_file.ErrorText());
    m_bytes.clear();
    m_start = 0;
    m_failed = false;
    return {};
}

const std::uint8_t* CFileWindow::At(std::uint64_t offset, std::size_t count)
{
    if (m_failed || count > kWindowSize / 4 || offset > m_size || m_size - offset < count)
        return nullptr;
    const bool inside = offset >= m_start && offset - m_start + count <= m_bytes.size();
    if (!inside && !Load(offset))
        return nullptr;
    return m_bytes.data() + (offset - m_start);
}

bool CFileWindow::WordAt(std::uint64_t offset, std::uint32_t& word)
{
    const std::uint8_t* at = At(offset, 4);
    if (!at)
        return false;
    word = static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
           static_cast<std::uint32_t>(at[2]) << 8 | at[3];
    return true;
}

// Keeps a little before `offset` in the window, so that a scan stepping back
// over a rejected frame does not read again.
bool CFileWindow::Load(std::uint64_t offset)
{
    constexpr std::uint64_t kBehind = 8192;
    const std::uint64_t start = offset > kBehind ? offset - kBehind : 0;
    const std::uint64_t wanted = std::min<std::uint64_t>(kWindowSize, m_size - start);
    m_bytes.resize(static_cast<std::size_t>(wanted));
    std::int64_t got = -1;
    if (m_file.Seek(start))
        got = m_file.ReadFully(m_bytes.data(), m_bytes.size());
    if (got < 0 || static_cast<std::uint64_t>(got) != wanted)
    {
        // A file that shrank under the scan is as bad as one that failed.
        m_failed = true;
        m_bytes.clear();
        return false;
    }
    m_start = start;
    return true;
}
