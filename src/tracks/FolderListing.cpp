#include "tracks/FolderListing.h"

#include "io/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
char LowerAscii(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y)
                                        { return LowerAscii(x) < LowerAscii(y); });
}

bool IsHiddenName(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

// Calls `visit` with each entry of `folder`; errors end the listing quietly.
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit)
{
    std::error_code error;
    fs::directory_iterator it(PathFromUtf8(folder), fs::directory_options::skip_permission_denied,
                              error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
    {
        if (!visit(*it))
            return;
    }
}

bool IsFolder(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_directory(error);
}
} // namespace

bool IsTrackFileName(const std::string& name)
{
    if (name.size() < 3)
        return false;
    std::string last = name.substr(name.size() - 3);
    std::transform(last.begin(), last.end(), last.begin(), LowerAscii);
    return last == "mp3" || last == "wav" || last == "ogg";
}

std::vector<std::string> ListTrackFiles(const std::string& folder)
{
    std::vector<std::string> paths;
    ForEachEntry(folder,
                 [&](const fs::directory_entry& entry)
                 {
                     std::error_code error;
                     // Pipes and devices named like tracks would only block a reader.
                     if (entry.is_regular_file(error) &&
                         IsTrackFileName(Utf8FromPath(entry.path().filename())))
                         paths.push_back(Utf8FromPath(entry.path()));
                     return true;
                 });
    SortPathsIgnoringCase(paths);
    return paths;
}

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    std::vector<std::string> paths;
    ForEachEntry(folder,
                 [&](const fs::directory_entry& entry)
                 {
                     if (IsFolder(entry))
                         paths.push_back(Utf8FromPath(entry.path()));
                     return true;
                 });
    SortPathsIgnoringCase(paths);
    return paths;
}

bool HasSubitems(const std::string& folder, bool countFiles)
{
    bool found = false;
    ForEachEntry(folder,
                 [&](const fs::directory_entry& entry)
                 {
                     found = IsFolder(entry) ||
                             (countFiles && !IsHiddenName(Utf8FromPath(entry.path().filename())));
                     return !found;
                 });
    return found;
}

void SortPathsIgnoringCase(std::vector<std::string>& paths)
{
    std::stable_sort(paths.begin(), paths.end(), LessIgnoringCase);
}
