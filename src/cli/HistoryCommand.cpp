#include "cli/HistoryCommand.h"

#include "cli/OptionParser.h"
#include "io/Printable.h"
#include "io/Text.h"
#include "state/CheckHistory.h"
#include "state/CheckMemory.h"
#include "state/StateDatabase.h"
#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"

#include <algorithm>
#include <ostream>

namespace
{
bool IsUnder(const std::string& path, const std::string& folder)
{
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            (folder.back() == '/' || path[folder.size()] == '/'));
}
} // namespace

int CHistoryCommand::Run(const std::vector<std::string>& args)
{
    if (!Parse(args))
        return kExitUsage;
    if (m_help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (m_forget && m_paths.empty())
        return CliUsageError(m_context, "history", "no file or folder to forget");
    std::unique_ptr<CStateDatabase> database;
    if (Status opened = CStateDatabase::Open(CStateDatabase::DefaultPath(), database); !opened)
    {
        m_context.err << kProgramName << ": " << opened.Reason() << "\n";
        return kExitFailure;
    }
    CCheckHistory history(*database);
    if (m_forget)
    {
        for (const std::string& path : m_paths)
            m_context.out << "forgot " << history.Forget(path) << " of " << Printable(path) << '\n';
        return kExitOk;
    }
    std::vector<std::string> keys;
    for (const std::string& path : m_paths)
        keys.push_back(StateKey(path));
    history.ForEach(
        [&](const RememberedCheck& check)
        {
            if (!keys.empty() &&
                std::none_of(keys.begin(), keys.end(),
                             [&](const std::string& key) { return IsUnder(check.path, key); }))
                return;
            const char* word = strings::CheckStatusText(check.sound ? kCheckSound : kCheckCorrupt);
            const std::string when = LocalTimeText(check.checkedAt);
            if (m_tsv)
            {
                m_context.out << word << '\t' << when << '\t' << Printable(check.path) << '\n';
                return;
            }
            std::string padded = word;
            padded.resize(9, ' ');
            m_context.out << padded << when << "  " << Printable(check.path) << '\n';
        });
    return kExitOk;
}

bool CHistoryCommand::Parse(const std::vector<std::string>& args)
{
    COptionParser parser("history", {{"-h", "--help", nullptr, SetFlag(m_help)},
                                     {nullptr, "--tsv", nullptr, SetFlag(m_tsv)},
                                     {nullptr, "--forget", nullptr, SetFlag(m_forget)}});
    Status parsed = parser.Parse(args, m_paths);
    if (!parsed)
        CliUsageError(m_context, "history", parsed.Reason());
    return parsed.Ok();
}

void CHistoryCommand::PrintHelp()
{
    m_context.out << "Usage: " << kProgramName << " history [--tsv] [PATH...]\n"
                  << "       " << kProgramName << " history --forget PATH...\n"
                  << "\n"
                  << "Shows what the history of checks remembers: per file its verdict when\n"
                  << "last checked, when that was, and its full path; only the given files and\n"
                  << "folders when PATH is given. 'check --incremental' and 'check --verify'\n"
                  << "fill the history (in $XDG_STATE_HOME/tunewright/state.db).\n"
                  << "\n"
                  << "Options:\n"
                  << "      --tsv     print VERDICT<TAB>CHECKED<TAB>PATH lines, for scripts\n"
                  << "      --forget  forget the given files, and everything under the given\n"
                  << "                folders\n"
                  << "  -h, --help    show this help\n";
}
