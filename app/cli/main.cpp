#include "cli/Cli.h"
#include "settings/SettingsStore.h"

#ifdef TW_CLI_MODULE_FILE
#include "LoadedCliModule.h"
#else
#include "cli/LinkedCliModule.h"
#endif

#include <cerrno>
#include <csignal>
#include <cstring>
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
#ifndef _WIN32
    // A reader that went away is an output error to report, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    context.interrupted = [] { return g_interrupted != 0; };
#ifdef TW_CLI_MODULE_FILE
    // Opened only by a command that needs what is in it: `check` and the
    // help start without the audio libraries, TagLib, SQLite and Qt.
    CLoadedCliModule module;
#else
    CLinkedCliModule module;
#endif
    // The settings are opened only by the commands that read them.
    context.openSettings = [&module] { return module.OpenProgramSettings(); };
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunCli(args, context, module);
    errno = 0;
    std::cout.flush();
    if (!std::cout)
    {
        // Results that did not arrive are a failure, whatever they said.
        const int reason = errno;
        std::cerr << kProgramName << ": cannot write the output: "
                  << (reason != 0 ? std::strerror(reason) : "write error") << "\n";
        return kExitFailure;
    }
    return status;
}
