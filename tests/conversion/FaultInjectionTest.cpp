// What a full disk, a failed rename or a killed process leave behind: the
// user's files as they were, no temporary file, and a failure that says
// which file and why.

#include "conversion/ConversionRun.h"
#include "conversion/WaveNormalizer.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
class FaultInjection : public testing::TestWithParam<ConversionTarget>
{
protected:
    FaultInjection()
    {
        fs::create_directory(m_dir.Path() / "out");
        m_settings.trackDir = (m_dir.Path() / "out").string();
        m_settings.normalize = false;
        m_track.path = WriteTestWave(m_dir.File("source.wav"), 2.0);
        m_source = ReadFileBytes(m_track.path);
    }

    std::string Output() const
    {
        return CConversionRun::OutputPath(m_settings.trackDir, m_track.path, GetParam());
    }

    void Run()
    {
        CConversionRun run(GetParam(), {&m_track}, m_settings);
        ASSERT_TRUE(run.CanStart(m_host));
        run.Run(m_host);
    }

    void ExpectFailureNamingTheOutput(const std::string& reason)
    {
        EXPECT_EQ(m_track.convertStatus, kConvertFailed);
        EXPECT_EQ(m_track.checkStatus, kCheckNone);
        ASSERT_FALSE(m_host.lines.empty());
        const auto& [text, colour] = m_host.lines.back();
        EXPECT_EQ(colour, kLineRed);
        EXPECT_NE(text.find(Output()), std::string::npos) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
        EXPECT_EQ(ReadFileBytes(m_track.path), m_source) << "the source is untouched";
    }

    CTempDir m_dir;
    ConversionSettings m_settings;
    TrackInfo m_track;
    std::vector<std::uint8_t> m_source;
    CRecordingHost m_host;
};

std::string TargetName(const testing::TestParamInfo<ConversionTarget>& param)
{
    static const char* const kNames[] = {"Mp3", "Ogg", "Wav"};
    return kNames[static_cast<int>(param.param)];
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Targets, FaultInjection,
                         testing::Values(ConversionTarget::Mp3, ConversionTarget::Ogg,
                                         ConversionTarget::Wav),
                         TargetName);

TEST_P(FaultInjection, AFullDiskKeepsTheOldOutputAndLeavesNoTemporaryFile)
{
    std::ofstream(Output()) << "the old output";
    m_host.answer = HostAnswer::Yes;
    {
        CFileSizeLimit limit(20000);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limits here";
        Run();
    }
    ExpectFailureNamingTheOutput("write error");
    EXPECT_EQ(ReadFileBytes(Output()).size(), 14u) << "the old output is as it was";
    EXPECT_EQ(EntryCount(m_dir.Path() / "out"), 1u);
}

TEST_P(FaultInjection, AFailedRenameLeavesNoTemporaryFile)
{
    // A folder where the output would go cannot be replaced by a file.
    fs::create_directories(fs::path(Output()) / "in the way");
    m_host.answer = HostAnswer::Yes;
    Run();
    ExpectFailureNamingTheOutput("");
    EXPECT_TRUE(fs::is_directory(Output()));
    EXPECT_EQ(EntryCount(m_dir.Path() / "out"), 1u);
}

TEST(FaultInjectionNormalize, AFullDiskLeavesTheConvertedFileComplete)
{
    CTempDir dir;
    const std::string output = WriteTestWave(dir.File("song.wav"), 1.0);
    const std::vector<std::uint8_t> before = ReadFileBytes(output);
    CRecordingHost host;
    {
        CFileSizeLimit limit(before.size() / 2);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limits here";
        EXPECT_FALSE(NormalizeWaveFile(output, dir.Path().string(), false, host));
    }
    EXPECT_EQ(ReadFileBytes(output), before);
    EXPECT_FALSE(fs::exists(dir.File("~song.wav")));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(output), std::string::npos);
}

#ifndef _WIN32
TEST(FaultInjectionKill, AKilledConversionLeavesNothingUnderTheOutputName)
{
    CTempDir dir;
    fs::create_directory(dir.Path() / "out");
    const std::string source = WriteTestWave(dir.File("long.wav"), 120.0);
    const std::vector<std::uint8_t> before = ReadFileBytes(source);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        const std::string out = (dir.Path() / "out").string();
        setenv("TUNEWRIGHT_SETTINGS", dir.File("settings.ini").c_str(), 1);
        execl(TW_CLI_PATH, TW_CLI_PATH, "convert", "--to", "ogg", "--out", out.c_str(),
              source.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Kill it while it is writing.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the conversion was over before the kill";
    EXPECT_EQ(ReadFileBytes(source), before);
    EXPECT_FALSE(fs::exists(dir.File("out/long.ogg")));
}

namespace
{
int RunCliTags(const std::string& path, bool killSoon)
{
    const pid_t child = fork();
    if (child == 0)
    {
        execl(TW_CLI_PATH, TW_CLI_PATH, "tags", "--title", "Killed or not", path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (killSoon)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}
} // namespace

TEST(FaultInjectionKill, AKilledTagRewriteLeavesTheFileWholeAndTheNextRunSweeps)
{
    CTempDir dir;
    // Large enough that the copy holding the new tags is still being written.
    const std::string path = WriteTestWave(dir.File("big.wav"), 600.0);
    const std::vector<std::uint8_t> before = ReadFileBytes(path);
    RunCliTags(path, true);
    const std::vector<std::uint8_t> after = ReadFileBytes(path);
    if (after != before)
    {
        // The kill came after the switch: then the file is whole, tags and all.
        std::unique_ptr<CAudioFile> file = OpenAudioFile(path);
        ASSERT_TRUE(file->IsValid());
        EXPECT_EQ(file->GetTitle(), "Killed or not");
    }
    const int status = RunCliTags(path, false);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(EntryCount(dir.Path()), 1u) << "nothing but the file is left";
}
#endif

TEST(FaultInjectionTags, AFullDiskLeavesEveryFormatByteForByte)
{
    CTempDir dir;
    for (const char* name : {"a.wav", "a.mp3", "a.ogg"})
    {
        const std::string path = WriteTestAudio(dir.File(name), 0.5);
        const std::vector<std::uint8_t> before = ReadFileBytes(path);
        std::unique_ptr<CAudioFile> file = OpenAudioFile(path);
        ASSERT_TRUE(file->IsValid()) << path;
        file->SetTitle(std::string(200, 't'));
        {
            CFileSizeLimit limit(before.size() / 4);
            if (!limit.Active())
                GTEST_SKIP() << "no file size limits here";
            EXPECT_FALSE(file->WriteTags()) << path;
        }
        EXPECT_FALSE(file->GetError().empty()) << path;
        EXPECT_EQ(ReadFileBytes(path), before) << path;
    }
    EXPECT_EQ(EntryCount(dir.Path()), 3u) << "no copy or temporary file is left";
}
