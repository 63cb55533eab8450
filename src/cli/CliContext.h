#pragma once

#include <functional>
#include <iosfwd>
#include <memory>

class ICliModule;
class ISettingsStorage;

// Where a command writes and what it knows about the terminal. The program's
// main fills it from the real streams; tests use string streams.
struct CliContext
{
    CliContext(std::ostream& output, std::ostream& errors) : out(output), err(errors) {}

    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // progress lines only go to a terminal
    int terminalWidth = 80;
    std::istream* in = nullptr; // answers to questions, when it is a terminal
    bool inIsTerminal = false;
    // True once the user asked to stop (Ctrl+C); runs end at the next block.
    std::function<bool()> interrupted;
    // Opens the settings the commands read; only called by commands that need them.
    std::function<std::unique_ptr<ISettingsStorage>()> openSettings;
    // The parts that need the audio libraries, TagLib, SQLite or Qt (CliModule.h);
    // RunCli sets it.
    ICliModule* module = nullptr;
};

// Exit statuses shared by every command.
enum CliExit
{
    kExitOk = 0,
    kExitFailure = 1, // a file was corrupt, unreadable or could not be written
    kExitUsage = 2,
};

inline constexpr const char* kProgramName = "tunewright-cli";

// Files worked on at a time unless told otherwise: one per processor core.
unsigned DefaultJobs();
