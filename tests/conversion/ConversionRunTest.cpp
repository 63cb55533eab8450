#include "conversion/ConversionRun.h"

#include "audio/mpeg/AudioMpegFile.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TrackLists.h"
#include "support/WaveBuilder.h"
#include "tracks/Strings.h"

#include <algorithm>
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
class ConversionRun : public testing::Test
{
protected:
    ConversionRun()
    {
        fs::create_directory(m_dir.Path() / "in");
        fs::create_directory(m_dir.Path() / "out");
        m_settings.trackDir = Out("");
        m_settings.normalize = false;
    }

    std::string In(const std::string& name) const { return (m_dir.Path() / "in" / name).string(); }
    std::string Out(const std::string& name) const
    {
        return (m_dir.Path() / "out" / name).string();
    }

    TrackInfo& Track(const std::string& path) { return m_list.Add(path); }
    TrackRefs Tracks() const { return m_list.Refs(); }

    void Run(ConversionTarget target, int filter = kFilterAll)
    {
        CConversionRun run(target, Tracks(), m_settings, filter);
        ASSERT_TRUE(run.CanStart(m_host)) << (m_host.messages.empty() ? "" : m_host.messages[0]);
        run.Run(m_host);
    }

    std::vector<std::string> LineTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& [text, colour] : m_host.lines)
            texts.push_back(text);
        return texts;
    }

    CTempDir m_dir;
    ConversionSettings m_settings;
    CTrackList m_list;
    CRecordingHost m_host;
};

// What a full disk, a failed rename or a killed process leave behind: the
// user's files as they were, no temporary file, and a failure that says
// which file and why.
class FaultInjection : public ConversionRun, public testing::WithParamInterface<ConversionTarget>
{
protected:
    std::string Output() const
    {
        return CConversionRun::OutputPath(m_settings.trackDir, m_track.path, GetParam());
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

    TrackInfo& m_track = Track(WriteTestWave(In("source.wav"), 2.0));
    const std::vector<std::uint8_t> m_source = ReadFileBytes(m_track.path);
};

std::string TargetName(const testing::TestParamInfo<ConversionTarget>& param)
{
    static const char* const kNames[] = {"Mp3", "Ogg", "Wav"};
    return kNames[static_cast<int>(param.param)];
}
} // namespace

TEST(ConversionPaths, TheOutputKeepsTheNameUpToItsLastDot)
{
    EXPECT_EQ(CConversionRun::OutputPath("/out/", "/m/Song.One.mp3", ConversionTarget::Ogg),
              "/out/Song.One.ogg");
    EXPECT_EQ(CConversionRun::OutputPath("/out", "/m/a.b.wav", ConversionTarget::Mp3),
              "/out/a.b.mp3");
    EXPECT_EQ(CConversionRun::OutputPath("/out", "/m/noext", ConversionTarget::Wav),
              "/out/noext.wav");
    EXPECT_EQ(CConversionRun::FileKind("/m/x.Ogg"), 3);
    EXPECT_EQ(CConversionRun::FileKind("/m/x.wave"), 0);
}

// Every kind into every target: see the conversion dialogs' tests.
TEST_F(ConversionRun, AFilterPicksOneKindAndLeavesTheOthers)
{
    TrackInfo& wav = Track(WriteTestWave(In("a.wav"), 0.3));
    TrackInfo& mp3 = Track(WriteTestMp3(In("b.mp3"), 0.3));
    TrackInfo& ogg = Track(WriteTestOgg(In("c.ogg"), 0.3));
    Run(ConversionTarget::Mp3, kFilterWav);
    EXPECT_EQ(wav.convertStatus, kConvertWavToMp3);
    EXPECT_EQ(mp3.convertStatus, kConvertNone);
    EXPECT_EQ(ogg.convertStatus, kConvertNone);
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{Out("a.mp3"), kOkLine}));
    EXPECT_EQ(m_host.files, (std::vector<std::string>{wav.path, ""}));
}

TEST_F(ConversionRun, SourcesInTheOutputFolderStopTheStartButNotForMp3)
{
    Track(WriteTestWave(In("a.wav"), 0.2));
    Track(WriteTestWave(Out("inside.wav"), 0.2));
    for (ConversionTarget target : {ConversionTarget::Ogg, ConversionTarget::Wav})
    {
        CRecordingHost host;
        // Also when the filter would leave that track out.
        EXPECT_FALSE(CConversionRun(target, Tracks(), m_settings, kFilterMp3).CanStart(host));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], strings::kSameFolder);
    }
    CRecordingHost host;
    EXPECT_TRUE(CConversionRun(ConversionTarget::Mp3, Tracks(), m_settings).CanStart(host));
    EXPECT_TRUE(CConversionRun(ConversionTarget::Mp3ToMp3, Tracks(), m_settings).CanStart(host))
        << "only MP3 sources count for MP3 -> MP3";

    m_settings.trackDir = m_dir.File("missing");
    EXPECT_FALSE(CConversionRun(ConversionTarget::Mp3, Tracks(), m_settings).CanStart(host));
    EXPECT_NE(host.messages.back().find("does not exist"), std::string::npos);
}

TEST_F(ConversionRun, AnMp3IsNeverConvertedOntoItself)
{
    TrackInfo& inside = Track(WriteTestMp3(Out("self.mp3"), 0.3));
    TrackInfo& other = Track(WriteTestWave(In("other.wav"), 0.2));
    const std::vector<std::uint8_t> before = ReadFileBytes(inside.path);
    Run(ConversionTarget::Mp3);
    EXPECT_EQ(ReadFileBytes(inside.path), before);
    EXPECT_EQ(inside.convertStatus, kConvertFailed);
    EXPECT_EQ(m_host.lines[0], (std::pair<std::string, std::uint32_t>{inside.path, kLineRed}));
    EXPECT_TRUE(m_host.questions.empty()) << "no question about replacing the source";
    EXPECT_EQ(other.convertStatus, kConvertWavToMp3) << "the run goes on";
}

TEST_F(ConversionRun, NoOutputEverReplacesAnotherSourceOrAnEarlierOutput)
{
    // song.wav would become song.mp3, which is itself a source of the run.
    TrackInfo& mp3 = Track(WriteTestMp3(Out("song.mp3"), 0.3));
    TrackInfo& wav = Track(WriteTestWave(Out("song.wav"), 0.2));
    // Two sources of one name from two folders.
    fs::create_directory(m_dir.Path() / "in2");
    TrackInfo& first = Track(WriteTestWave(In("twin.wav"), 0.2));
    TrackInfo& second = Track(WriteTestWave(m_dir.File("in2/twin.wav"), 0.2));
    const std::vector<std::uint8_t> before = ReadFileBytes(mp3.path);
    Run(ConversionTarget::Mp3);
    EXPECT_EQ(ReadFileBytes(mp3.path), before);
    EXPECT_EQ(wav.convertStatus, kConvertFailed);
    EXPECT_EQ(first.convertStatus, kConvertWavToMp3);
    EXPECT_EQ(second.convertStatus, kConvertFailed);
}

TEST_F(ConversionRun, OutputsReplaceLinksNotWhatTheyPointTo)
{
    const std::vector<std::uint8_t> precious = ReadFileBytes(WriteTestMp3(In("precious.mp3"), 0.2));
    fs::create_symlink(In("precious.mp3"), Out("a.mp3"));
    TrackInfo& track = Track(WriteTestWave(In("a.wav"), 0.2));
    m_host.answer = HostAnswer::Yes;
    Run(ConversionTarget::Mp3);
    EXPECT_EQ(track.convertStatus, kConvertWavToMp3);
    EXPECT_EQ(ReadFileBytes(In("precious.mp3")), precious);
    EXPECT_FALSE(fs::is_symlink(Out("a.mp3")));
}

TEST_F(ConversionRun, ACancelDuringAFileRemovesItsOutputAndBlamesNothing)
{
    TrackInfo& first = Track(WriteTestWave(In("long.wav"), 4.0));
    TrackInfo& second = Track(WriteTestWave(In("next.wav"), 0.2));
    m_host.cancelIf = [&] { return !m_host.progress.empty() && m_host.progress.back() > 0; };
    Run(ConversionTarget::Ogg);
    EXPECT_EQ(first.convertStatus, kConvertFailed);
    EXPECT_EQ(first.checkStatus, kCheckNone) << "a cancel says nothing about the source";
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "out")) << "nothing is left of the cancelled file";
    EXPECT_TRUE(fs::exists(first.path));
    EXPECT_EQ(m_host.lines.back(),
              (std::pair<std::string, std::uint32_t>{"Aborted at user request!", kLineRed}));
    EXPECT_EQ(second.convertStatus, kConvertNone) << "the run ends";
}

// A source that cannot be read is reported, naming it; the old output of its
// name stays, no temporary file is left, and the run goes on.
TEST_F(ConversionRun, AFailingSourceIsReportedAndTheRunGoesOn)
{
    std::ofstream(In("bad.wav")) << "not audio";
    TrackInfo& bad = Track(In("bad.wav"));
    TrackInfo& good = Track(WriteTestWave(In("good.wav"), 0.2));
    for (const auto& [target, extension] :
         {std::pair{ConversionTarget::Mp3, ".mp3"}, std::pair{ConversionTarget::Wav, ".wav"}})
    {
        m_host.lines.clear();
        bad.convertStatus = good.convertStatus = kConvertNone;
        fs::remove_all(Out(""));
        fs::create_directory(Out(""));
        std::ofstream(Out("bad") + extension) << "the old output";
        Run(target);
        EXPECT_EQ(bad.convertStatus, kConvertFailed);
        EXPECT_NE(good.convertStatus, kConvertNone);
        EXPECT_EQ(ReadFileBytes(Out("bad") + extension).size(), 14u) << "the old output stays";
        EXPECT_EQ(EntryCount(Out("")), 2u) << "no temporary file is left";
        const auto failure =
            std::find_if(m_host.lines.begin(), m_host.lines.end(),
                         [](const auto& line)
                         { return line.first.find("not a RIFF WAVE file") != std::string::npos; });
        ASSERT_NE(failure, m_host.lines.end());
        EXPECT_NE(failure->first.find(bad.path), std::string::npos) << "names the source";
        EXPECT_EQ(failure->second, kLineRed);
    }
}

// Damaged sources yield what they hold: the output is checked against the
// audio really decoded, not against the length the source claims.
TEST_F(ConversionRun, DamagedSourcesAreSalvagedAndSaySo)
{
    // A variable-bitrate file cut in half whose information frame still
    // fits what is left (its byte count made to match): its length cannot be
    // told false without decoding it all.
    const std::string whole = m_dir.File("whole.mp3");
    {
        CAudioMpegFile file;
        const std::vector<std::uint8_t> pcm = AsBytes(TestSignal(88200 * 2, 2));
        file.BeginEncoding(whole, {"", "", "", 128, 5, true}, 88200 * 2);
        file.EncodeData(pcm.data(), pcm.size());
        file.EndEncoding();
    }
    std::vector<std::uint8_t> mp3 = ReadFileBytes(whole);
    mp3.resize(mp3.size() / 2);
    const std::size_t count = std::string(mp3.begin(), mp3.begin() + 64).find("Xing") + 12;
    for (std::size_t i = 0; i < 4; ++i)
        mp3[count + i] = static_cast<std::uint8_t>(mp3.size() >> (24 - 8 * i));
    WriteFileBytes(In("cut.mp3"), mp3);
    // An Ogg file with half of its pages gone from the middle.
    std::vector<std::uint8_t> ogg = ReadFileBytes(WriteTestOgg(m_dir.File("whole.ogg"), 6.0));
    std::fill(ogg.begin() + static_cast<long>(ogg.size() / 4),
              ogg.begin() + static_cast<long>(ogg.size() * 3 / 4), std::uint8_t{0});
    WriteFileBytes(In("holes.ogg"), ogg);
    TrackInfo& cut = Track(In("cut.mp3"));
    TrackInfo& holes = Track(In("holes.ogg"));

    Run(ConversionTarget::Wav);
    EXPECT_EQ(cut.convertStatus, kConvertMp3ToWav) << testing::PrintToString(LineTexts());
    EXPECT_EQ(holes.convertStatus, kConvertOggToWav) << testing::PrintToString(LineTexts());
    std::unique_ptr<CAudioFile> salvaged = OpenAudioFile(Out("cut.wav"));
    ASSERT_TRUE(salvaged->IsValid());
    EXPECT_NEAR(salvaged->GetLength(), 2000, 150);
    // The note follows the file's verdict.
    const std::vector<std::string> lines = LineTexts();
    for (const auto& [source, declared] :
         {std::pair{In("cut.mp3"), std::string(" of 0:04 declared")},
          std::pair{In("holes.ogg"), std::string(" of 0:06 declared")}})
    {
        const auto path = std::find(lines.begin(), lines.end(), source);
        ASSERT_LT(path + 2, lines.end()) << testing::PrintToString(lines);
        EXPECT_EQ(path[1], kOkLine);
        EXPECT_NE(path[2].find("recovered 0:0"), std::string::npos) << path[2];
        EXPECT_NE(path[2].find(declared), std::string::npos) << path[2];
    }
}

TEST_F(ConversionRun, ASourceWithoutAudioIsAFailureNotAnEmptyFile)
{
    CWaveBuilder().Format(1, 2, 44100, 16, 4).Chunk("data", {}).WriteTo(In("empty.wav"));
    TrackInfo& empty = Track(In("empty.wav"));
    TrackInfo& headers = Track(WriteTestOgg(In("headers.ogg"), 0.0));
    for (ConversionTarget target : {ConversionTarget::Wav, ConversionTarget::Mp3})
    {
        Run(target);
        EXPECT_EQ(empty.convertStatus, kConvertFailed);
        EXPECT_EQ(headers.convertStatus, kConvertFailed);
        EXPECT_TRUE(fs::is_empty(m_dir.Path() / "out"));
        EXPECT_NE(m_host.lines.back().first.find("no audio in the file"), std::string::npos)
            << m_host.lines.back().first;
    }
}

TEST_F(ConversionRun, CorruptMp3sBecomeWavOnlyWhenAskedTo)
{
    // A good file with a block cut out of its middle: it decodes, but the
    // check finds it corrupt.
    std::vector<std::uint8_t> cut = ReadFileBytes(WriteTestMp3(In("whole.mp3"), 1.0));
    cut.erase(cut.begin() + 6000, cut.begin() + 9001);
    WriteFileBytes(In("cut.mp3"), cut);
    TrackInfo& track = Track(In("cut.mp3"));

    m_settings.convertCorruptFiles = false;
    Run(ConversionTarget::Wav);
    EXPECT_EQ(track.checkStatus, kCheckCorrupt);
    EXPECT_EQ(track.convertStatus, kConvertNone);
    EXPECT_FALSE(fs::exists(Out("cut.wav")));
    ASSERT_EQ(m_host.lines.size(), 2u);
    EXPECT_EQ(m_host.lines[1], (std::pair<std::string, std::uint32_t>{
                                   "        ===> FILE CORRUPT!!!  Please convert.", kLineRed}));

    m_settings.convertCorruptFiles = true;
    m_settings.normalize = true;
    Run(ConversionTarget::Wav);
    EXPECT_EQ(track.convertStatus, kConvertMp3ToWav);
    EXPECT_TRUE(fs::exists(Out("cut.wav")));
    EXPECT_FALSE(fs::exists(Out("~cut.wav")));
    EXPECT_EQ(m_host.captions.back(), "");
}

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
        Run(GetParam());
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
    Run(GetParam());
    ExpectFailureNamingTheOutput("");
    EXPECT_TRUE(fs::is_directory(Output()));
    EXPECT_EQ(EntryCount(m_dir.Path() / "out"), 1u);
}

#ifndef _WIN32
namespace
{
// Runs the command-line program with `args` and its settings in `settings`
// (unless empty), killed after `killAfter` unless that is zero; returns its
// wait status.
int RunCli(std::vector<std::string> args, const std::string& settings,
           std::chrono::milliseconds killAfter = {})
{
    args.insert(args.begin(), TW_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0)
    {
        if (!settings.empty())
            setenv("TUNEWRIGHT_SETTINGS", settings.c_str(), 1);
        execv(TW_CLI_PATH, argv.data());
        _exit(127);
    }
    EXPECT_GT(child, 0) << "cannot start " << TW_CLI_PATH;
    if (killAfter.count() > 0)
    {
        std::this_thread::sleep_for(killAfter);
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}
} // namespace

TEST(FaultInjectionKill, AKilledConversionLeavesNothingUnderTheOutputName)
{
    CTempDir dir;
    fs::create_directory(dir.Path() / "out");
    const std::string source = WriteTestWave(dir.File("long.wav"), 120.0);
    const std::vector<std::uint8_t> before = ReadFileBytes(source);
    // Kill it while it is writing.
    const int status = RunCli({"convert", "--to", "ogg", "--out", dir.File("out"), source},
                              dir.File("settings.ini"), std::chrono::milliseconds(400));
    ASSERT_TRUE(WIFSIGNALED(status)) << "the conversion was over before the kill";
    EXPECT_EQ(ReadFileBytes(source), before);
    EXPECT_FALSE(fs::exists(dir.File("out/long.ogg")));
}

TEST(FaultInjectionKill, AKilledTagRewriteLeavesTheFileWholeAndTheNextRunSweeps)
{
    CTempDir dir;
    // Large enough that the copy holding the new tags is still being written.
    const std::string path = WriteTestWave(dir.File("big.wav"), 600.0);
    const std::vector<std::uint8_t> before = ReadFileBytes(path);
    const std::vector<std::string> tags = {"tags", "--title", "Killed or not", path};
    RunCli(tags, "", std::chrono::milliseconds(40));
    const std::vector<std::uint8_t> after = ReadFileBytes(path);
    if (after != before)
    {
        // The kill came after the switch: then the file is whole, tags and all.
        std::unique_ptr<CAudioFile> file = OpenAudioFile(path);
        ASSERT_TRUE(file->IsValid());
        EXPECT_EQ(file->GetTitle(), "Killed or not");
    }
    const int status = RunCli(tags, "");
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
            EXPECT_FALSE(file->WriteTags().Reason().empty()) << path;
        }
        EXPECT_EQ(ReadFileBytes(path), before) << path;
    }
    EXPECT_EQ(EntryCount(dir.Path()), 3u) << "no copy or temporary file is left";
}
