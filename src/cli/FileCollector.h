#pragma once

#include "io/AudioKind.h"

#include <filesystem>
#include <string>
#include <vector>

// Turns the paths named on a command line into the files to work on. A path
// that is not a folder is taken as it stands (a missing file is reported by
// whoever opens it); a folder gives its files with the wanted extension,
// sorted by path.
class CFileCollector
{
public:
    // A folder gives its files of these kinds (AudioKindOf).
    CFileCollector(std::vector<AudioKind> kinds, bool recursive);

    void Add(const std::string& path);
    // Folders of this name are not descended into.
    void SkipFolderName(const std::string& name) { m_skippedFolders.push_back(name); }

    const std::vector<std::string>& Files() const { return m_files; }
    // "PATH: reason" for each folder that could not be listed, ready to print.
    const std::vector<std::string>& Errors() const { return m_errors; }
    // Folders that were read but held no wanted file.
    const std::vector<std::string>& EmptyFolders() const { return m_emptyFolders; }

private:
    void AddFolder(const std::string& folder);
    bool ListFolder(const std::filesystem::path& folder, std::vector<std::string>& found);

    std::vector<AudioKind> m_kinds;
    bool m_recursive;
    std::vector<std::string> m_skippedFolders;
    std::vector<std::string> m_files;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_emptyFolders;
};
