#include "cli/LinkedCliModule.h"

#include "check/MP3DecodeCheck.h"
#include "cli/Cli.h"
#include "cli/CommandTable.h"
#include "cli/ConvertCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/InfoCommand.h"
#include "cli/RepairCommand.h"
#include "cli/TagsCommand.h"
#include "settings/QtSettingsStorage.h"
#include "state/CheckMemory.h"
#include "tracks/AnalysisReport.h"
#include "tracks/AudioTrack.h"
#include "tracks/TrackInfo.h"

#include <stdexcept>

namespace
{
// The commands that need the audio libraries, TagLib, SQLite or Qt. The
// program's table (Cli.cpp) names them with a null runner.
constexpr CliCommand kModuleCommands[] = {
    {"convert", nullptr, RunCommand<CConvertCommand>},
    {"history", nullptr, RunCommand<CHistoryCommand>},
    {"info", nullptr, RunCommand<CInfoCommand>},
    {"repair", nullptr, RunCommand<CRepairCommand>},
    {"tags", nullptr, RunCommand<CTagsCommand>},
};
} // namespace

int CLinkedCliModule::RunCommand(const std::string& command, const std::vector<std::string>& args,
                                 CliContext& context)
{
    for (const CliCommand& entry : kModuleCommands)
        if (command == entry.name)
            return entry.run(args, context);
    throw std::logic_error("the commands module has no command '" + command + "'");
}

std::unique_ptr<ISettingsStorage> CLinkedCliModule::OpenProgramSettings()
{
    return ::OpenProgramSettings();
}

Status CLinkedCliModule::TryReportTarget(const std::string& path, std::string& target)
{
    return ::TryReportTarget(path, target);
}

void CLinkedCliModule::ReadReportTags(const std::string& path, TrackInfo& track)
{
    CAudioTrack audio(path);
    if (const CAudioFile* file = audio.GetAudioFile())
    {
        track.SetTags(file->GetTitle(), file->GetArtist(), file->GetAlbum());
        track.SetLength(audio.GetLength());
    }
}

bool CLinkedCliModule::SaveAnalysisResults(const std::string& path,
                                           const std::vector<TrackInfo*>& tracks, IRunHost& host,
                                           bool details)
{
    return ::SaveAnalysisResults(path, tracks, host, details);
}

std::unique_ptr<IMP3DeepCheck> CLinkedCliModule::MakeDeepCheck(std::function<bool()> stop)
{
    auto deep = std::make_unique<CMP3DecodeCheck>();
    deep->SetStop(std::move(stop));
    return deep;
}

Status CLinkedCliModule::OpenCheckMemory(std::unique_ptr<ICheckMemory>& memory)
{
    std::unique_ptr<CCheckMemory> opened;
    Status status = CCheckMemory::Open(opened);
    memory = std::move(opened);
    return status;
}

int RunCli(const std::vector<std::string>& args, CliContext& context)
{
    CLinkedCliModule linked;
    return RunCli(args, context, linked);
}
