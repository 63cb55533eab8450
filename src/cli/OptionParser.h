#pragma once

#include "cli/CliContext.h"
#include "io/Status.h"

#include <functional>
#include <string>
#include <vector>

// One option of a command: its names, whether it takes a value, and what it
// does with it.
struct CliOption
{
    const char* shortName; // "-j", or nullptr
    const char* longName;  // "--jobs", or nullptr
    // For an option with a value: what the value may be, for the message when
    // it is not ("a number, 1 or more"); nullptr for a flag.
    const char* valueHint;
    // Takes the value (empty for a flag); false when it is not a valid one.
    std::function<bool(const std::string& value)> apply;
};

// The command line of every command, read one way: "--opt VALUE",
// "--opt=VALUE", "-o VALUE", "-oVALUE", flags bundled ("-rv"), "-" as an
// operand and "--" ending the options. Errors are worded alike for every
// command.
class COptionParser
{
public:
    COptionParser(const char* command, std::vector<CliOption> options)
        : m_command(command), m_options(std::move(options))
    {
    }

    // Applies the options and collects the operands; fails with the first
    // usage error.
    Status Parse(const std::vector<std::string>& args, std::vector<std::string>& operands);

private:
    const CliOption* Find(const std::string& name) const;
    Status Apply(const CliOption& option, const std::string& name, const std::string& value);

    const char* m_command;
    std::vector<CliOption> m_options;
};

// Prints a usage error of `command` with the hint to its help; returns the
// usage exit status.
int CliUsageError(CliContext& context, const char* command, const std::string& message);

// Reads a whole number from `min` to `max`.
bool ParseCount(const std::string& text, int min, int max, int& value);

// "-j N" / "--jobs N", from 1 to 9999, into `jobs`; `hint` says what N is.
CliOption JobsOption(const char* hint, unsigned& jobs);

// The action of a flag: sets `target` to `value`.
inline std::function<bool(const std::string&)> SetFlag(bool& target, bool value = true)
{
    return [&target, value](const std::string&)
    {
        target = value;
        return true;
    };
}
