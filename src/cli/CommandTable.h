#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

// How a command is run: builds the command over the context and hands it the
// arguments after its name.
using CommandRunner = int (*)(const std::vector<std::string>& args, CliContext& context);

template <class Command>
int RunCommand(const std::vector<std::string>& args, CliContext& context)
{
    return Command(context).Run(args);
}

// One row of a table of commands.
struct CliCommand
{
    const char* name;
    const char* summary; // the program's help line; unused in the module's table
    CommandRunner run;   // in the program's table, null: the module runs it
};
