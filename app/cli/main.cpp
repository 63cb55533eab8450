#include "cli/Cli.h"

#include <iostream>

#ifndef _WIN32
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace
{
void DescribeTerminal(CliContext& context)
{
#ifndef _WIN32
    context.errIsTerminal = isatty(STDERR_FILENO) != 0;
    winsize size{};
    if (context.errIsTerminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        context.terminalWidth = size.ws_col;
#else
    (void)context;
#endif
}
} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    CliContext context{std::cout, std::cerr};
    DescribeTerminal(context);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunCli(args, context);
    std::cout.flush();
    return std::cout ? status : kExitFailure;
}
