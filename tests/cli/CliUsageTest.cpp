#include "cli/Cli.h"

#include <gtest/gtest.h>
#include <sstream>

namespace
{
struct UsageCase
{
    std::vector<std::string> args;
    std::string message; // after "tunewright-cli COMMAND: "
};

// Every command reads its command line through the same parser: the same
// forms, the same words for the same mistakes, and exit status 2, with
// nothing on standard output.
TEST(CliUsage, EveryCommandWordsTheSameMistakesAlike)
{
    std::vector<UsageCase> cases;
    for (const char* command : {"check", "info", "convert", "tags", "repair"})
    {
        const std::string c = command;
        cases.push_back({{c, "--frob", "a.mp3"}, "unknown option '--frob'"});
        cases.push_back({{c, "--frob=1", "a.mp3"}, "unknown option '--frob'"});
        cases.push_back({{c, "-Q", "a.mp3"}, "unknown option '-Q'"});
        cases.push_back({{c, "--help=yes"}, "option '--help' takes no value"});
    }
    const std::string jobs = "is not a valid value for ";
    cases.insert(
        cases.end(),
        {
            {{"check", "a.mp3", "--jobs"}, "option '--jobs' needs a value"},
            {{"check", "--report"}, "option '--report' needs a value"},
            {{"check", "--jobs=0", "a.mp3"},
             "'0' " + jobs + "--jobs: it takes a number of files to check at a time, 1 or more"},
            {{"check", "-jx", "a.mp3"},
             "'x' " + jobs + "-j: it takes a number of files to check at a time, 1 or more"},
            {{"check", "--tsv=1", "a.mp3"}, "option '--tsv' takes no value"},
            {{"check"}, "no file or folder to check"},
            {{"convert", "a.mp3", "--to"}, "option '--to' needs a value"},
            {{"convert", "--to=flac", "a.mp3"},
             "'flac' " + jobs + "--to: it takes mp3, ogg, wav or mp3-to-mp3"},
            {{"convert", "--to", "mp3", "--bitrate", "384", "a.mp3"},
             "'384' " + jobs + "--bitrate: it takes 64, 96, 128, 160, 192, 256 or 320"},
            {{"convert", "--to", "ogg", "--ogg-managed=192,160,128", "a.mp3"},
             "'192,160,128' " + jobs +
                 "--ogg-managed: it takes MIN,NOM,MAX from 128, 160, 192, 256, 350, in rising "
                 "order"},
            {{"convert", "-j", "0", "--to", "mp3", "a.mp3"},
             "'0' " + jobs + "-j: it takes a number of files to convert at a time, 1 or more"},
            {{"convert", "a.mp3"}, "say what to convert to with --to mp3, ogg, wav or mp3-to-mp3"},
            {{"tags", "a.mp3", "--title"}, "option '--title' needs a value"},
            {{"tags", "--undo", "--title=T", "a.mp3"}, "--undo sets no texts of its own"},
            {{"info"}, "no file given"},
            {{"repair"}, "no file or folder to repair"},
            {{"repair", "--backup", "", "a.mp3"}, "'' " + jobs + "--backup: it takes a folder"},
            {{"repair", "--dry-run=1", "a.mp3"}, "option '--dry-run' takes no value"},
        });
    for (const UsageCase& c : cases)
    {
        std::ostringstream out, err;
        CliContext context(out, err);
        EXPECT_EQ(RunCli(c.args, context), kExitUsage) << c.message;
        EXPECT_EQ(out.str(), "") << c.message;
        const std::string& command = c.args.front();
        EXPECT_EQ(err.str(), "tunewright-cli " + command + ": " + c.message +
                                 "\nTry 'tunewright-cli " + command + " --help'.\n");
    }
}

TEST(CliUsage, NoCommandOrAnUnknownOne)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"frobnicate"}})
    {
        std::ostringstream out, err;
        CliContext context(out, err);
        EXPECT_EQ(RunCli(args, context), kExitUsage);
        EXPECT_NE(err.str().find("Try 'tunewright-cli --help'."), std::string::npos);
    }
}
} // namespace
