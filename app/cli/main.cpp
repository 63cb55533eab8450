#include "cli/Cli.h"
#include "settings/QtSettingsStorage.h"

#include <csignal>
#include <iostream>

#ifndef _WIN32
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace
{
// Set by the signal handler, read by the runs: the one global a signal forces.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_interrupted = 1;
}

void DescribeTerminal(CliContext& context)
{
#ifndef _WIN32
    context.errIsTerminal = isatty(STDERR_FILENO) != 0;
    context.inIsTerminal = isatty(STDIN_FILENO) != 0;
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
    context.in = &std::cin;
    // Ctrl+C and a polite kill stop the run at the next block, so that the
    // file in hand is cleaned up rather than left half written.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    context.interrupted = [] { return g_interrupted != 0; };
    // The settings are opened only by the commands that read them.
    context.openSettings = OpenProgramSettings;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunCli(args, context);
    std::cout.flush();
    return std::cout ? status : kExitFailure;
}
