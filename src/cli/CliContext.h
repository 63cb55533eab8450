#pragma once

#include <iosfwd>

// Where a command writes and what it knows about the terminal. The program's
// main fills it from the real streams; tests use string streams.
struct CliContext
{
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // progress lines only go to a terminal
    int terminalWidth = 80;
};

// Exit statuses shared by every command.
enum CliExit
{
    kExitOk = 0,
    kExitFailure = 1, // a file was corrupt, unreadable or could not be written
    kExitUsage = 2,
};

inline constexpr const char* kProgramName = "tunewright-cli";
