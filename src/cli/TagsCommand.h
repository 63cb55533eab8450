#pragma once

#include "cli/CliContext.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// tunewright-cli tags [--title T] [--artist A] [--album B] FILE...
// tunewright-cli tags --undo FILE...
// Shows the three texts of each file, or sets the given ones through the
// file's own tag writer (recording the edit, so that --undo can put it
// back) and shows what the file then holds.
class CStateDatabase;
class CTagHistory;

class CTagsCommand
{
public:
    explicit CTagsCommand(CliContext& context);
    ~CTagsCommand();

    int Run(const std::vector<std::string>& args);

private:
    bool Parse(const std::vector<std::string>& args);
    bool TagFile(const std::string& path);
    bool UndoFile(const std::string& path);
    bool Show(const std::string& path);
    // The history of edits, opened on first use; null (after a warning)
    // when it cannot be.
    CTagHistory* History();
    int UsageError(const std::string& message);
    void PrintHelp();

    CliContext& m_context;
    std::optional<std::string> m_title;
    std::optional<std::string> m_artist;
    std::optional<std::string> m_album;
    std::vector<std::string> m_files;
    bool m_help = false;
    bool m_undo = false;
    std::unique_ptr<CStateDatabase> m_database;
    std::unique_ptr<CTagHistory> m_history;
    bool m_historyTried = false;
    int m_printed = 0;
};
