#include "cli/Cli.h"

#include "Version.h"
#include "cli/CheckCommand.h"
#include "cli/CliModule.h"
#include "cli/CommandTable.h"

#include <exception>
#include <ostream>
#include <thread>

namespace
{
// Every command, in the order of the help. A command linked into the program
// has its runner here; the others (null) are the module's (LinkedCliModule.cpp),
// so that only they load the audio libraries, TagLib, SQLite and Qt.
constexpr CliCommand kCommands[] = {
    {"check", "check MP3 files frame by frame and say which are corrupt",
     RunCommand<CCheckCommand>},
    {"convert", "convert audio files to MP3, Ogg Vorbis or WAV", nullptr},
    {"history", "show or forget what earlier checks remember", nullptr},
    {"info", "show the tags, length and format of audio files", nullptr},
    {"repair", "rebuild corrupt MP3 files, keeping the originals aside", nullptr},
    {"tags", "show or set the title, artist and album of audio files", nullptr},
};

void PrintHelp(std::ostream& out)
{
    out << "Usage: " << kProgramName << " COMMAND [OPTIONS] [ARGUMENTS]\n"
        << "\n"
        << "Checks MP3 files for damage, converts between MP3, Ogg Vorbis and WAV, and\n"
        << "reads and writes their tags, from scripts.\n"
        << "\n"
        << "Commands:\n";
    for (const CliCommand& command : kCommands)
    {
        std::string name = command.name;
        name.resize(9, ' ');
        out << "  " << name << command.summary << "\n";
    }
    out << "\n"
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
int Dispatch(const std::vector<std::string>& args, CliContext& context, ICliModule& module);
} // namespace

unsigned DefaultJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Nothing that goes wrong below may end the program without a word.
int RunCli(const std::vector<std::string>& args, CliContext& context, ICliModule& module)
{
    context.module = &module;
    try
    {
        return Dispatch(args, context, module);
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
int Dispatch(const std::vector<std::string>& args, CliContext& context, ICliModule& module)
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
        context.out << kProgramName << " " << kVersion << "\n";
        return kExitOk;
    }
    for (const CliCommand& entry : kCommands)
    {
        if (command != entry.name)
            continue;
        return entry.run ? entry.run(rest, context) : module.RunCommand(command, rest, context);
    }
    return UsageError(context, "unknown command '" + command + "'");
}
} // namespace
