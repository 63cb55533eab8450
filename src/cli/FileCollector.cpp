#include "cli/FileCollector.h"

#include "io/Paths.h"
#include "io/Printable.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

CFileCollector::CFileCollector(std::vector<AudioKind> kinds, bool recursive)
    : m_kinds(std::move(kinds)), m_recursive(recursive)
{
}

void CFileCollector::Add(const std::string& path)
{
    std::error_code error;
    if (fs::is_directory(PathFromUtf8(path), error))
        AddFolder(path);
    else
        m_files.push_back(path);
}

void CFileCollector::AddFolder(const std::string& folder)
{
    std::vector<std::string> found;
    const bool listed = ListFolder(PathFromUtf8(folder), found);
    std::sort(found.begin(), found.end());
    if (found.empty() && listed)
        m_emptyFolders.push_back(folder);
    m_files.insert(m_files.end(), found.begin(), found.end());
}

// Lists one folder into `found`, descending into subfolders when recursive.
// Linked folders are not followed, so a link cycle cannot trap the walk.
// A subfolder that cannot be read is reported and the rest still listed.
bool CFileCollector::ListFolder(const fs::path& folder, std::vector<std::string>& found)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error))
    {
        const fs::directory_entry& entry = *it;
        std::error_code ignored;
        if (m_recursive && entry.is_directory(ignored) && !entry.is_symlink(ignored))
        {
            const std::string name = Utf8FromPath(entry.path().filename());
            if (std::find(m_skippedFolders.begin(), m_skippedFolders.end(), name) ==
                m_skippedFolders.end())
                ListFolder(entry.path(), found);
        }
        else if (entry.is_regular_file(ignored))
        {
            std::string path = Utf8FromPath(entry.path());
            const std::optional<AudioKind> kind = AudioKindOf(path);
            if (kind && std::find(m_kinds.begin(), m_kinds.end(), *kind) != m_kinds.end())
                found.push_back(std::move(path));
        }
    }
    if (error)
        m_errors.push_back(Printable(Utf8FromPath(folder)) +
                           ": cannot read the folder: " + error.message());
    return !error;
}
