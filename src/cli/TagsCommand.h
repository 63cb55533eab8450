#pragma once

#include "cli/CliContext.h"

#include <optional>
#include <string>
#include <vector>

// tunewright-cli tags [--title T] [--artist A] [--album B] FILE...
// Shows the three texts of each file, or sets the given ones through the
// file's own tag writer and shows what the file then holds.
class CTagsCommand
{
public:
    explicit CTagsCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    bool Parse(const std::vector<std::string>& args);
    bool TagFile(const std::string& path);
    int UsageError(const std::string& message);
    void PrintHelp();

    CliContext& m_context;
    std::optional<std::string> m_title;
    std::optional<std::string> m_artist;
    std::optional<std::string> m_album;
    std::vector<std::string> m_files;
    bool m_help = false;
    int m_printed = 0;
};
