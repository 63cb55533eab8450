#pragma once

#include "cli/CliModule.h"
#include "io/Status.h"

#include <mutex>

// ICliModule from libtunewright-commands, opened the first time one of its
// parts is asked for: from LIBDIR/tunewright beside the installed program,
// else from the program's own folder (the build folder). A module that cannot be opened, or was
// built from other sources, is an error naming it and the reason.
class CLoadedCliModule final : public ICliModule
{
public:
    CLoadedCliModule() = default;
    ~CLoadedCliModule() override;
    CLoadedCliModule(const CLoadedCliModule&) = delete;
    CLoadedCliModule& operator=(const CLoadedCliModule&) = delete;

    int RunCommand(const std::string& command, const std::vector<std::string>& args,
                   CliContext& context) override;
    std::unique_ptr<ISettingsStorage> OpenProgramSettings() override;
    Status TryReportTarget(const std::string& path, std::string& target) override;
    void ReadReportTags(const std::string& path, TrackInfo& track) override;
    bool SaveAnalysisResults(const std::string& path, const std::vector<TrackInfo*>& tracks,
                             IRunHost& host, bool details) override;
    std::unique_ptr<IMP3DeepCheck> MakeDeepCheck(std::function<bool()> stop) override;
    Status OpenCheckMemory(std::unique_ptr<ICheckMemory>& memory) override;

private:
    ICliModule& Parts();
    void Open();

    std::once_flag m_opened;
    void* m_handle = nullptr;
    ICliModule* m_parts = nullptr;
};
