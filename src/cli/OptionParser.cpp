#include "cli/OptionParser.h"

#include "io/Printable.h"

#include <ostream>

Status COptionParser::Parse(const std::vector<std::string>& args,
                            std::vector<std::string>& operands)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
        {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (arg[1] == '-')
        {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(0, equals);
            const CliOption* option = Find(name);
            if (!option)
                return Status::Failure("unknown option '" + Printable(name) + "'");
            if (equals != std::string::npos)
            {
                if (!option->valueHint)
                    return Status::Failure("option '" + name + "' takes no value");
                if (Status applied = Apply(*option, name, arg.substr(equals + 1)); !applied)
                    return applied;
            }
            else if (!option->valueHint)
                (void)Apply(*option, name, {}); // a flag takes any call
            else if (i + 1 >= args.size())
                return Status::Failure("option '" + name + "' needs a value");
            else if (Status applied = Apply(*option, name, args[++i]); !applied)
                return applied;
            continue;
        }
        // Short options: flags may be bundled; one taking a value takes the
        // rest of the word, or else the next word.
        for (std::size_t at = 1; at < arg.size(); ++at)
        {
            const std::string name = std::string("-") + arg[at];
            const CliOption* option = Find(name);
            if (!option)
                return Status::Failure("unknown option '" + Printable(name) + "'");
            if (!option->valueHint)
            {
                (void)Apply(*option, name, {}); // a flag takes any call
                continue;
            }
            if (at + 1 < arg.size())
            {
                if (Status applied = Apply(*option, name, arg.substr(at + 1)); !applied)
                    return applied;
            }
            else if (i + 1 >= args.size())
                return Status::Failure("option '" + name + "' needs a value");
            else if (Status applied = Apply(*option, name, args[++i]); !applied)
                return applied;
            break;
        }
    }
    return {};
}

const CliOption* COptionParser::Find(const std::string& name) const
{
    for (const CliOption& option : m_options)
    {
        if ((option.shortName && name == option.shortName) ||
            (option.longName && name == option.longName))
            return &option;
    }
    return nullptr;
}

Status COptionParser::Apply(const CliOption& option, const std::string& name,
                            const std::string& value)
{
    if (option.apply(value))
        return {};
    return Status::Failure("'" + Printable(value) + "' is not a valid value for " + name +
                           ": it takes " + option.valueHint);
}

int CliUsageError(CliContext& context, const char* command, const std::string& message)
{
    context.err << kProgramName << " " << command << ": " << message << "\n"
                << "Try '" << kProgramName << " " << command << " --help'.\n";
    return kExitUsage;
}

bool ParseCount(const std::string& text, int min, int max, int& value)
{
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return value >= min && value <= max;
}

CliOption JobsOption(const char* hint, unsigned& jobs)
{
    return {"-j", "--jobs", hint,
            [&jobs](const std::string& value)
            {
                int count = 0;
                if (!ParseCount(value, 1, 9999, count))
                    return false;
                jobs = static_cast<unsigned>(count);
                return true;
            }};
}
