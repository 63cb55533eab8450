#pragma once

#include "cli/CliContext.h"
#include "conversion/ConversionRun.h"

#include <optional>
#include <string>
#include <vector>

// tunewright-cli convert --to mp3|ogg|wav|mp3-to-mp3 [options] FILE...
// The conversion runs of the window, with the stored settings unless an
// option says otherwise.
class CConvertCommand
{
public:
    explicit CConvertCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    // What the options say; unset ones leave the stored settings.
    struct Options
    {
        std::optional<ConversionTarget> target;
        std::optional<std::string> out;
        int filter = kFilterAll;
        int overwrite = 0; // 0 ask on a terminal, 1 yes, -1 no
        bool recursive = false;
        unsigned jobs = DefaultJobs();
        bool help = false;
        std::optional<int> bitRateIndex;
        std::optional<int> qualityIndex;
        std::optional<bool> vbr;
        std::optional<int> oggCbrIndex;
        std::optional<std::vector<int>> oggManaged;
        std::optional<int> oggQuality;
        std::optional<bool> compressedWav;
        std::optional<bool> normalize;
        std::optional<bool> convertCorrupt;
        std::vector<std::string> files;
    };

    bool Parse(const std::vector<std::string>& args);
    bool ParseValue(const std::string& option, const std::string& value);
    void Apply(ConversionSettings& settings) const;
    int UsageError(const std::string& message);
    void PrintHelp();

    CliContext& m_context;
    Options m_options;
};
