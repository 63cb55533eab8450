#include "audio/play/WavePlayer.h"

#include "audio/play/NullWaveOutDevice.h"
#include "support/AudioFiles.h"
#include "support/FakeAudioDevice.h"
#include "support/PlayerOwner.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{
std::unique_ptr<CAudioFile> ValidFile(const std::string& path)
{
    auto file = OpenAudioFile(path);
    EXPECT_TRUE(file->IsValid()) << path;
    return file;
}

long CountOf(const std::vector<std::string>& calls, const std::string& name)
{
    return std::count(calls.begin(), calls.end(), name);
}

class WavePlayerTest : public ::testing::Test
{
protected:
    WavePlayerTest()
    {
        auto fake = std::make_unique<CFakeAudioDevice>();
        device = fake.get();
        player = std::make_unique<CWavePlayer>(std::move(fake));
        owner.player = player.get();
    }

    void Open(const std::string& path)
    {
        file = ValidFile(path);
        ASSERT_TRUE(player->Open(*file, owner));
    }

    CTempDir dir;
    std::unique_ptr<CAudioFile> file; // outlives the player
    CFakeAudioDevice* device = nullptr;
    std::unique_ptr<CWavePlayer> player;
    CPlayerOwner owner;
};
} // namespace

class WavePlayerFormats : public WavePlayerTest, public ::testing::WithParamInterface<std::string>
{
};

TEST_P(WavePlayerFormats, PlaysToTheEndStopsAtTheStartAndPlaysAgain)
{
    const std::string path = WriteTestAudio(dir.File("one." + GetParam()), 1.0);
    const std::vector<std::uint8_t> pcm = DecodeAll(path);
    ASSERT_GT(pcm.size(), CWavePlayer::kBlockCount * CWavePlayer::kBlockBytes);
    Open(path);
    EXPECT_EQ(device->format.channels, 2);
    EXPECT_EQ(device->format.sampleRate, 44100u);
    EXPECT_EQ(device->format.bitsPerSample, 16);

    for (int pass = 1; pass <= 2; ++pass)
    {
        SCOPED_TRACE(pass);
        device->played.clear();
        device->queuedBlocks.clear();
        owner.notices = 0;
        player->Start();
        const std::size_t calls = device->calls.size();
        player->Start(); // while playing: queues nothing more
        EXPECT_EQ(device->calls.size(), calls);
        EXPECT_TRUE(player->IsPlaying());
        EXPECT_EQ(device->pending.size(), std::size_t{CWavePlayer::kBlockCount});
        device->CompleteAll();
        EXPECT_EQ(device->played, pcm) << "every byte once, in order";
        // Whole blocks, one with the bytes left, and one empty block that ends.
        std::vector<std::size_t> sizes,
            expected(pcm.size() / CWavePlayer::kBlockBytes, CWavePlayer::kBlockBytes);
        expected.insert(expected.end(), {pcm.size() % CWavePlayer::kBlockBytes, 0});
        for (const auto& block : device->queuedBlocks)
            sizes.push_back(block.size());
        EXPECT_EQ(sizes, expected);
        EXPECT_EQ(owner.notices, static_cast<int>(expected.size()));
        EXPECT_FALSE(player->IsPlaying());
        EXPECT_TRUE(player->IsActive()) << "rewound, ready to play";
        EXPECT_EQ(player->GetPosition(), 0);
        EXPECT_TRUE(device->IsOpen());
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, WavePlayerFormats, ::testing::Values("wav", "mp3", "ogg"));

TEST_F(WavePlayerTest, AShortFileFillsTheRingWithEmptyBlocksAndStillEnds)
{
    Open(WriteTestWave(dir.File("short.wav"), 0.1)); // 17640 bytes: 3 blocks
    player->Start();
    ASSERT_EQ(device->pending.size(), std::size_t{CWavePlayer::kBlockCount});
    EXPECT_EQ(device->pending[2].size(), 17640u - 2 * CWavePlayer::kBlockBytes);
    EXPECT_TRUE(device->pending[3].empty());
    device->CompleteAll();
    EXPECT_EQ(device->played.size(), 17640u);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_TRUE(player->IsActive());
    EXPECT_EQ(player->GetPosition(), 0);
}

TEST_F(WavePlayerTest, PauseHoldsAndStartResumesWithoutGapOrRepeat)
{
    const std::string path = WriteTestWave(dir.File("a.wav"), 1.0);
    Open(path);
    player->Start();
    device->Complete(3);
    player->Pause();
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(device->Complete(1), 0) << "the device is held";
    player->Start();
    EXPECT_EQ(device->pending.size(), std::size_t{CWavePlayer::kBlockCount});
    // Pause again after the end of the audio was read but before it played.
    while (player->IsPlaying())
        device->Complete(1);
    player->Pause();
    player->Start();
    device->CompleteAll();
    EXPECT_EQ(device->played, DecodeAll(path));
    EXPECT_EQ(player->GetPosition(), 0);
    EXPECT_TRUE(player->IsActive());
}

TEST_F(WavePlayerTest, SeekPercentMovesWhilePlayingAndWhilePaused)
{
    Open(WriteSilentWave(dir.File("long.wav"), 200000));
    player->Start();
    device->Complete(2);

    device->calls.clear();
    player->SeekPercent(50);
    EXPECT_EQ(player->GetPosition(), 100000);
    EXPECT_TRUE(player->IsPlaying());
    ASSERT_FALSE(device->calls.empty());
    EXPECT_EQ(device->calls.front(), "reset");
    EXPECT_EQ(device->calls.back(), "restart");
    EXPECT_EQ(device->pending.size(), std::size_t{CWavePlayer::kBlockCount});
    device->Complete(1);
    EXPECT_GT(player->GetPosition(), 100000) << "goes on from the new place";

    player->Pause();
    player->SeekPercent(25);
    EXPECT_EQ(player->GetPosition(), 50000);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_TRUE(device->pending.empty()) << "nothing queued while paused";
    player->Start();
    device->Complete(1);
    EXPECT_GT(player->GetPosition(), 50000);
    EXPECT_LT(player->GetPosition(), 60000);

    player->SeekPercent(250);
    EXPECT_EQ(player->GetPosition(), 200000) << "held to the length";
}

TEST_F(WavePlayerTest, StopIsIgnoredWhilePlayingAndClosesAfterPause)
{
    Open(WriteTestWave(dir.File("a.wav"), 1.0));
    player->Start();
    player->Stop();
    EXPECT_TRUE(device->IsOpen());
    EXPECT_TRUE(player->IsPlaying());

    player->Pause();
    player->Stop();
    EXPECT_FALSE(device->IsOpen());
    EXPECT_EQ(device->calls.back(), "close");
    // A stopped player stays silent until opened again.
    player->Start();
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(device->calls.back(), "close");
    ASSERT_TRUE(player->Open(*file, owner));
    player->Start();
    EXPECT_TRUE(player->IsPlaying());
}

TEST_F(WavePlayerTest, WithoutADeviceNothingPlaysAndNothingFails)
{
    device->failOpens = 1;
    Open(WriteTestWave(dir.File("a.wav"), 1.0));
    player->Start();
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_TRUE(player->IsActive());
    EXPECT_EQ(CountOf(device->calls, "queue"), 0);
    player->SeekPercent(50);
    player->Pause();
    player->Stop();
}

TEST_F(WavePlayerTest, AFileThatCannotBeDecodedOpensNoDevice)
{
    const std::string path = WriteTestWave(dir.File("gone.wav"), 0.2);
    file = ValidFile(path);
    std::filesystem::remove(path);
    EXPECT_FALSE(player->Open(*file, owner));
    EXPECT_FALSE(device->IsOpen());
    player->Start();
    EXPECT_FALSE(player->IsPlaying());
}

namespace
{
// Runs the null device's delayed calls in order, adding up their delays.
class CManualScheduler
{
public:
    CNullWaveOutDevice::Scheduler Get()
    {
        return [this](std::chrono::milliseconds delay, std::function<void()> call)
        { m_calls.emplace_back(delay, std::move(call)); };
    }
    // Returns how many calls ran.
    int RunAll(int limit = 100000)
    {
        int ran = 0;
        while (!m_calls.empty() && ran < limit)
        {
            auto [delay, call] = std::move(m_calls.front());
            m_calls.pop_front();
            elapsed += delay;
            call();
            ++ran;
        }
        return ran;
    }
    std::chrono::milliseconds elapsed{0};

private:
    std::deque<std::pair<std::chrono::milliseconds, std::function<void()>>> m_calls;
};
} // namespace

TEST(NullWaveOutDevice, APlayerRunsToItsEndInSilenceAtThePaceOfTheAudio)
{
    CTempDir dir;
    CManualScheduler scheduler;
    const std::string path = WriteTestWave(dir.File("a.wav"), 1.0);
    auto file = ValidFile(path);
    CWavePlayer player(std::make_unique<CNullWaveOutDevice>(scheduler.Get()));
    CPlayerOwner owner;
    owner.player = &player;
    ASSERT_TRUE(player.Open(*file, owner));

    player.Start();
    EXPECT_TRUE(player.IsPlaying());
    scheduler.RunAll(5);
    EXPECT_GT(player.GetPosition(), 0);
    scheduler.RunAll();
    EXPECT_EQ(owner.notices, 23);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.IsActive());
    EXPECT_EQ(player.GetPosition(), 0);
    EXPECT_NEAR(static_cast<double>(scheduler.elapsed.count()), 1000.0, 30.0);
}

TEST(NullWaveOutDevice, NothingIsDoneWhilePausedOrAfterResetCloseOrDestruction)
{
    struct CCounter final : IWaveOutListener
    {
        void OnWaveOutBlockDone() override { ++done; }
        int done = 0;
    } counter;
    CManualScheduler scheduler;
    const std::uint8_t bytes[8] = {};
    auto device = std::make_unique<CNullWaveOutDevice>(scheduler.Get());
    ASSERT_TRUE(device->Open(PcmFormat{8000, 1, 16}, counter));

    device->Queue(bytes, 8);
    device->Queue(bytes, 0);
    device->Pause();
    scheduler.RunAll();
    EXPECT_EQ(counter.done, 0);
    device->Restart();
    scheduler.RunAll();
    EXPECT_EQ(counter.done, 2) << "an empty block is done in its turn";

    device->Queue(bytes, 8);
    device->Reset();
    device->Queue(bytes, 8);
    device->Close();
    device->Queue(bytes, 8);
    scheduler.RunAll();
    EXPECT_EQ(counter.done, 2);

    ASSERT_TRUE(device->Open(PcmFormat{8000, 1, 16}, counter));
    device->Queue(bytes, 8);
    device.reset();
    scheduler.RunAll();
    EXPECT_EQ(counter.done, 2);
}
