#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

// Runs the command line `args` (without the program name); returns the exit status.
int RunCli(const std::vector<std::string>& args, CliContext& context);
