#include "LoadedCliModule.h"

#include "check/MP3CheckTask.h"
#include "settings/SettingsStore.h"
#include "state/ICheckMemory.h"

#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace
{
// The installed place (LIBDIR/tunewright, relative to BINDIR) when the module
// is there, else beside the program, as in the build folder.
std::string ModulePath()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return TW_CLI_MODULE_FILE; // the library search path may still know it
    const std::filesystem::path folder = program.parent_path();
    const std::filesystem::path installed = folder / TW_CLI_MODULE_DIR / TW_CLI_MODULE_FILE;
    if (std::filesystem::exists(installed, error))
        return installed.string();
    return (folder / TW_CLI_MODULE_FILE).string();
}
} // namespace

CLoadedCliModule::~CLoadedCliModule()
{
    // Opened with RTLD_NODELETE: the libraries stay until the process ends,
    // so that their own clean-up at exit finds their code still there.
    if (m_handle != nullptr)
        dlclose(m_handle);
}

ICliModule& CLoadedCliModule::Parts()
{
    // Runs may ask from several threads; a failed attempt is tried again.
    std::call_once(m_opened, [this] { Open(); });
    return *m_parts;
}

void CLoadedCliModule::Open()
{
    const std::string file = ModulePath();
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr)
    {
        const char* reason = dlerror();
        throw std::runtime_error("cannot load the commands module: " +
                                 std::string(reason != nullptr ? reason : file));
    }
    using EntryPoint = ICliModule* (*)(unsigned);
    const auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "TunewrightCliModule"));
    ICliModule* parts = entry != nullptr ? entry(kCliModuleInterface) : nullptr;
    if (parts == nullptr)
    {
        dlclose(handle);
        throw std::runtime_error("cannot load the commands module: " + file +
                                 " belongs to another build of the program");
    }
    m_handle = handle;
    m_parts = parts;
}

int CLoadedCliModule::RunCommand(const std::string& command, const std::vector<std::string>& args,
                                 CliContext& context)
{
    return Parts().RunCommand(command, args, context);
}

std::unique_ptr<ISettingsStorage> CLoadedCliModule::OpenProgramSettings()
{
    return Parts().OpenProgramSettings();
}

Status CLoadedCliModule::TryReportTarget(const std::string& path, std::string& target)
{
    return Parts().TryReportTarget(path, target);
}

void CLoadedCliModule::ReadReportTags(const std::string& path, TrackInfo& track)
{
    Parts().ReadReportTags(path, track);
}

bool CLoadedCliModule::SaveAnalysisResults(const std::string& path,
                                           const std::vector<TrackInfo*>& tracks, IRunHost& host,
                                           bool details)
{
    return Parts().SaveAnalysisResults(path, tracks, host, details);
}

std::unique_ptr<IMP3DeepCheck> CLoadedCliModule::MakeDeepCheck(std::function<bool()> stop)
{
    return Parts().MakeDeepCheck(std::move(stop));
}

Status CLoadedCliModule::OpenCheckMemory(std::unique_ptr<ICheckMemory>& memory)
{
    return Parts().OpenCheckMemory(memory);
}
