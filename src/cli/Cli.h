#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

class ICliModule;

// Runs the command line `args` (without the program name); returns the exit
// status. What needs the audio libraries, TagLib, SQLite or Qt comes from
// `module`, which the program opens only when a command asks for it.
int RunCli(const std::vector<std::string>& args, CliContext& context, ICliModule& module);

// The same with those parts linked in (LinkedCliModule.cpp): tests, and
// builds without the shared module.
int RunCli(const std::vector<std::string>& args, CliContext& context);
