#include "io/ByteReader.h"

#include "io/InputFile.h"
#include "support/MemorySource.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace
{
std::vector<std::uint8_t> Counting(std::size_t count)
{
    std::vector<std::uint8_t> data(count);
    for (std::size_t i = 0; i < count; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return data;
}
} // namespace

TEST(ByteReader, WordsAndBytesComeOutInOrderAcrossRefills)
{
    const std::vector<std::uint8_t> data = Counting(103);
    for (std::size_t bufferSize : {1, 3, 4, 5, 64})
        for (std::size_t chunk : {1, 2, 1000})
        {
            CMemorySource source(data, chunk);
            CByteReader in(source, bufferSize);
            std::size_t next = 0;
            while (next + 4 <= data.size())
            {
                std::uint32_t word = 0xDEADBEEF;
                ASSERT_EQ(in.ReadWord(word), 4u);
                const std::uint32_t expected = static_cast<std::uint32_t>(data[next]) << 24 |
                                               data[next + 1] << 16 | data[next + 2] << 8 |
                                               data[next + 3];
                ASSERT_EQ(word, expected) << bufferSize << "/" << chunk << " at " << next;
                next += 4;
                ASSERT_EQ(in.ReadByte(), data[next++]);
                ASSERT_EQ(in.Offset(), next);
            }
            // The short word at the end keeps the bytes that were there.
            std::uint32_t tail = 0;
            EXPECT_EQ(in.ReadWord(tail), data.size() - next);
            EXPECT_EQ(in.ReadByte(), -1);
            EXPECT_FALSE(in.Failed());
        }
}

TEST(ByteReader, SkipsInsideAndBeyondTheBufferLandOnTheRightByte)
{
    const std::vector<std::uint8_t> data = Counting(10000);
    CMemorySource source(data, 100);
    CByteReader in(source, 64);
    in.Skip(10); // inside the first block
    EXPECT_EQ(in.ReadByte(), data[10]);
    in.Skip(5000); // far beyond it: a seek, not a read
    EXPECT_EQ(in.Offset(), 5011u);
    EXPECT_EQ(in.ReadByte(), data[5011]);
    EXPECT_GE(source.SkipCalls(), 1u);
    EXPECT_LT(source.ReadCalls(), 10u);

    in.Skip(1u << 20); // past the end
    EXPECT_EQ(in.ReadByte(), -1);
    EXPECT_EQ(in.Offset(), 5012u + (1u << 20));
    EXPECT_FALSE(in.Failed());
}

TEST(ByteReader, AReadErrorEndsTheStreamAndIsRemembered)
{
    CMemorySource source(Counting(1000), 10);
    source.FailAt(25);
    CByteReader in(source, 16);
    int count = 0;
    while (in.ReadByte() >= 0)
        ++count;
    EXPECT_EQ(count, 25);
    EXPECT_TRUE(in.Failed());
    std::uint32_t word = 0;
    EXPECT_EQ(in.ReadWord(word), 0u);
}

TEST(InputFile, ReadsAndSkipsWithinARegularFile)
{
    CTempDir dir;
    std::ofstream(dir.File("data.bin"), std::ios::binary) << "0123456789";
    CInputFile file;
    ASSERT_TRUE(Succeeded(file.Open(dir.File("data.bin"))));
    EXPECT_EQ(file.Size(), 10u);
    std::uint8_t buffer[16];
    EXPECT_EQ(file.Read(buffer, 4), 4);
    EXPECT_TRUE(file.Skip(4));
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2);
    EXPECT_EQ(buffer[0], '8');
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
}

TEST(InputFile, SizesAndOffsetsBeyondFourGigabytesAreExact)
{
    CTempDir dir;
    const std::uint64_t size = (5ull << 30) + 3;
    const std::string path = dir.File("sparse.bin");
    {
        std::ofstream out(path, std::ios::binary);
    }
    std::error_code resized;
    std::filesystem::resize_file(path, size - 4, resized);
    if (resized)
        GTEST_SKIP() << "no room for a sparse 5 GiB file: " << resized.message();
    std::ofstream(path, std::ios::binary | std::ios::app) << "TAIL";

    CInputFile file;
    ASSERT_TRUE(Succeeded(file.Open(path)));
    EXPECT_EQ(file.Size(), size);
    CByteReader in(file);
    in.Skip(size - 4);
    std::uint32_t word = 0;
    ASSERT_EQ(in.ReadWord(word), 4u);
    EXPECT_EQ(word, 0x5441494Cu); // "TAIL"
    EXPECT_EQ(in.Offset(), size);
}
