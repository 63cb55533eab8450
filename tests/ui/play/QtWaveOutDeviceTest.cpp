#include "ui/play/QtWaveOutDevice.h"

#include "audio/play/NullWaveOutDevice.h"
#include "support/AudioFiles.h"
#include "support/PlayerOwner.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "ui/play/BlockQueueReader.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <gtest/gtest.h>

namespace
{
bool HasOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

std::string ReadAll(CBlockQueueReader& reader, qint64 chunk)
{
    std::string all;
    std::string piece(static_cast<std::size_t>(chunk), '\0');
    qint64 got;
    while ((got = reader.read(piece.data(), chunk)) > 0)
        all.append(piece.data(), static_cast<std::size_t>(got));
    return all;
}
} // namespace

TEST(BlockQueueReader, HandsOutTheBlocksInOrderReportsEachOnceReadAndClearsAndDetaches)
{
    std::vector<unsigned> done;
    CBlockQueueReader reader([&](unsigned generation) { done.push_back(generation); }, 7);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    const std::string a = "abcdefgh", b = "ijk";
    reader.Push(reinterpret_cast<const std::uint8_t*>(a.data()), a.size());
    reader.Push(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    EXPECT_EQ(reader.bytesAvailable(), 11);

    char buffer[5];
    ASSERT_EQ(reader.read(buffer, 5), 5);
    EXPECT_TRUE(done.empty()) << "the first block is not read to its end yet";
    EXPECT_EQ(ReadAll(reader, 5), "fghijk");
    EXPECT_EQ(done, (std::vector<unsigned>{7, 7}));
    EXPECT_TRUE(reader.atEnd());

    // An empty block is done as soon as it is at the front, not before.
    reader.Push(reinterpret_cast<const std::uint8_t*>(a.data()), 2);
    reader.Push(nullptr, 0);
    EXPECT_EQ(done.size(), 2u);
    EXPECT_EQ(ReadAll(reader, 64), "ab");
    EXPECT_EQ(done.size(), 4u);
    reader.Push(nullptr, 0);
    EXPECT_EQ(done.size(), 5u);

    // Clear drops the blocks unreported; the new generation reports the next.
    reader.Push(reinterpret_cast<const std::uint8_t*>(a.data()), 4);
    reader.Clear(2);
    EXPECT_EQ(reader.bytesAvailable(), 0);
    EXPECT_EQ(done.size(), 5u) << "a dropped block is not reported";
    reader.Push(reinterpret_cast<const std::uint8_t*>(a.data()), 4);
    EXPECT_EQ(ReadAll(reader, 3), "abcd");
    EXPECT_EQ(done, (std::vector<unsigned>{7, 7, 7, 7, 7, 2}));
    // Detach ends the reports.
    reader.Push(nullptr, 0);
    reader.Detach();
    reader.Push(nullptr, 0);
    EXPECT_EQ(done.size(), 7u);
}

// The factory falls back to the silent output without sound hardware; the
// device opens on the default output or refuses quietly.
TEST(QtWaveOutDevice, OpensOnTheDefaultOutputOrRefusesQuietly)
{
    const auto made = CreateWaveOutDevice();
    if (HasOutput())
        EXPECT_NE(dynamic_cast<CQtWaveOutDevice*>(made.get()), nullptr);
    else
        EXPECT_NE(dynamic_cast<CNullWaveOutDevice*>(made.get()), nullptr);
    CPlayerOwner owner;
    CQtWaveOutDevice device;
    const bool opened = device.Open(PcmFormat{44100, 2, 16}, owner);
    EXPECT_EQ(opened, HasOutput());
    EXPECT_EQ(device.IsOpen(), opened);
    EXPECT_FALSE(device.Open(PcmFormat{44100, 2, 12}, owner)) << "no such sample format";
    EXPECT_FALSE(device.IsOpen());
    const std::uint8_t silence[64] = {};
    device.Queue(silence, sizeof silence);
    device.Pause();
    device.Restart();
    device.Reset();
    device.Close();
    WaitFor([] { return false; }, 50);
    EXPECT_EQ(owner.notices, 0);
}

TEST(QtWaveOutDevice, BlocksAreDoneInTurnNoneAfterResetNoneWhilePaused)
{
    if (!HasOutput())
        GTEST_SKIP() << "no audio output on this machine";
    CPlayerOwner owner;
    CQtWaveOutDevice device;
    ASSERT_TRUE(device.Open(PcmFormat{44100, 2, 16}, owner));
    std::vector<std::uint8_t> silence(4410 * 4, 0); // 100 ms
    device.Queue(silence.data(), silence.size());
    device.Queue(silence.data(), 0);
    EXPECT_TRUE(WaitFor([&] { return owner.notices == 2; }, 5000));

    for (int i = 0; i < 20; ++i)
        device.Queue(silence.data(), silence.size());
    device.Reset();
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(owner.notices, 2);
    device.Queue(silence.data(), silence.size());
    EXPECT_TRUE(WaitFor([&] { return owner.notices == 3; }, 5000));

    device.Pause();
    device.Queue(silence.data(), silence.size());
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(owner.notices, 3) << "held while paused";
    device.Restart();
    EXPECT_TRUE(WaitFor([&] { return owner.notices == 4; }, 5000));
}

TEST(QtWaveOutDevice, APlayerOnTheMachinesOutputPlaysToTheEndAndRewinds)
{
    CTempDir dir;
    const std::string path = WriteTestWave(dir.File("a.wav"), 0.3);
    auto file = OpenAudioFile(path);
    ASSERT_TRUE(file->IsValid());
    CWavePlayer player(CreateWaveOutDevice());
    CPlayerOwner owner;
    owner.player = &player;
    ASSERT_TRUE(player.Open(*file, owner));

    player.Start();
    EXPECT_TRUE(player.IsPlaying());
    // 52920 bytes: six full blocks, one part block, nine empty ones and the
    // empty one that ends the audio.
    EXPECT_TRUE(WaitFor([&] { return owner.notices >= 16 && !player.IsPlaying(); }, 10000));
    EXPECT_TRUE(player.IsActive());
    EXPECT_EQ(player.GetPosition(), 0);
    player.Pause();
    player.Stop();
}
