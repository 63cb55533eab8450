#pragma once

#include "cli/CliModule.h"
#include "io/Status.h"

// The parts of ICliModule linked into the program that uses them: in the
// shared module, in tests, and in builds without the module.
class CLinkedCliModule final : public ICliModule
{
public:
    int RunCommand(const std::string& command, const std::vector<std::string>& args,
                   CliContext& context) override;
    std::unique_ptr<ISettingsStorage> OpenProgramSettings() override;
    Status TryReportTarget(const std::string& path, std::string& target) override;
    void ReadReportTags(const std::string& path, TrackInfo& track) override;
    bool SaveAnalysisResults(const std::string& path, const std::vector<TrackInfo*>& tracks,
                             IRunHost& host, bool details) override;
    std::unique_ptr<IMP3DeepCheck> MakeDeepCheck(std::function<bool()> stop) override;
    Status OpenCheckMemory(std::unique_ptr<ICheckMemory>& memory) override;
};
