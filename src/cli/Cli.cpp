#include "cli/Cli.h"

#include "cli/CheckCommand.h"
#include "cli/ConvertCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/InfoCommand.h"
#include "cli/RepairCommand.h"
#include "cli/TagsCommand.h"

#include <exception>
#include <ostream>
#include <thread>

namespace
{
void PrintHelp(std::ostream& out)
{
    out << "Usage: " << kProgramName << " COMMAND [OPTIONS] [ARGUMENTS]\n"
        << "\n"
        << "Checks MP3 files for damage, converts between MP3, Ogg Vorbis and WAV, and\n"
        << "reads and writes their tags, from scripts.\n"
        << "\n"
        << "Commands:\n"
        << "  check    check MP3 files frame by frame and say which are corrupt\n"
        << "  convert  convert audio files to MP3, Ogg Vorbis or WAV\n"
        << "  history  show or forget what earlier checks remember\n"
        << "  info     show the tags, length and format of audio files\n"
        << "  repair   rebuild corrupt MP3 files, keeping the originals aside\n"
        << "  tags     show or set the title, artist and album of audio files\n"
        << "\n"
        << "Options:\n"
        << "  -h, --help     show this help\n"
        << "      --version  show the program's version\n"
        << "\n"
        << "Run '" << kProgramName << " COMMAND --help' for the options of a command.\n";
}

int UsageError(CliContext& context, const std::string& message)
{
    context.err << kProgramName << ": " << message << "\n"
                << "Try '" << kProgramName << " --help'.\n";
    return kExitUsage;
}
} // namespace

namespace
{
int RunCommand(const std::vector<std::string>& args, CliContext& context);
} // namespace

unsigned DefaultJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Nothing that goes wrong below may end the program without a word.
int RunCli(const std::vector<std::string>& args, CliContext& context)
{
    try
    {
        return RunCommand(args, context);
    }
    catch (const std::exception& error)
    {
        context.err << kProgramName << ": " << error.what() << "\n";
    }
    catch (...)
    {
        context.err << kProgramName << ": an unexpected error ended the command\n";
    }
    return kExitFailure;
}

namespace
{
int RunCommand(const std::vector<std::string>& args, CliContext& context)
{
    if (args.empty())
        return UsageError(context, "no command given");
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "-h" || command == "--help" || command == "help")
    {
        PrintHelp(context.out);
        return kExitOk;
    }
    if (command == "--version")
    {
        context.out << kProgramName << " 2.1\n";
        return kExitOk;
    }
    if (command == "check")
        return CCheckCommand(context).Run(rest);
    if (command == "info")
        return CInfoCommand(context).Run(rest);
    if (command == "convert")
        return CConvertCommand(context).Run(rest);
    if (command == "repair")
        return CRepairCommand(context).Run(rest);
    if (command == "tags")
        return CTagsCommand(context).Run(rest);
    if (command == "history")
        return CHistoryCommand(context).Run(rest);
    return UsageError(context, "unknown command '" + command + "'");
}
} // namespace
