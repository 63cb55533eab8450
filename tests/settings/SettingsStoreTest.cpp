#include "settings/SettingsStore.h"

#include "support/MemorySettingsStorage.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{
const std::string kGeneral = "GeneralProperties";
const std::string kEncoder = "EncoderProperties";
const std::string kOgg = "EncoderOGGVorbisProperties";

// The Ogg record's fields in the order of its table.
std::array<int, 8> Fields(const OggProperties& p)
{
    return {p.useCbr, p.useBbr, p.useVbr, p.cbrIndex, p.bbrMin, p.bbrNom, p.bbrMax, p.vbrPosition};
}

// The MP3 record's fields in the order of its table.
std::array<int, 4> Fields(const EncoderProperties& p)
{
    return {p.bitRateIndex, p.qualityIndex, p.cbr, p.vbr};
}

// Every value reads as its default, whatever is stored, and nothing is written.
void ExpectDefaults(const CSettingsStore& store, const CMemorySettingsStorage& storage)
{
    EXPECT_EQ(store.GetTrackDir(), CSettingsStore::DefaultTrackDir());
    EXPECT_EQ(store.GetWAVFormat(), 0);
    EXPECT_TRUE(store.GetID3Check());
    EXPECT_TRUE(store.GetNormalize());
    EXPECT_TRUE(store.GetConvertCorruptFiles());
    EXPECT_EQ(store.GetLastPath(), CSettingsStore::DefaultLastPath());
    EXPECT_EQ(Fields(store.GetEncoderProperties()), (std::array{2, 0, 1, 0}));
    EXPECT_EQ(Fields(store.GetOggProperties()), (std::array{1, 0, 0, 1, 0, 1, 2, 0}));
    EXPECT_EQ(storage.WriteCount(), 0u);
}

#ifndef _WIN32
// Sets or clears HOME for one test and puts the old value back.
class CHomeOverride
{
public:
    explicit CHomeOverride(const char* value)
    {
        if (const char* old = std::getenv("HOME"))
            m_old = old;
        if (value != nullptr)
            setenv("HOME", value, 1);
        else
            unsetenv("HOME");
    }
    ~CHomeOverride()
    {
        if (m_old)
            setenv("HOME", m_old->c_str(), 1);
        else
            unsetenv("HOME");
    }
    CHomeOverride(const CHomeOverride&) = delete;
    CHomeOverride& operator=(const CHomeOverride&) = delete;

private:
    std::optional<std::string> m_old;
};
#endif
} // namespace

#ifdef _WIN32
TEST(SettingsStore, DefaultFoldersAreTheSystemDrive)
{
    EXPECT_EQ(CSettingsStore::DefaultTrackDir(), "c:");
    EXPECT_EQ(CSettingsStore::DefaultLastPath(), "c:\\");
}
#else
TEST(SettingsStore, DefaultFoldersAreTheHomeFolder)
{
    {
        CHomeOverride home("/srv/someone");
        EXPECT_EQ(CSettingsStore::DefaultTrackDir(), "/srv/someone");
        EXPECT_EQ(CSettingsStore::DefaultLastPath(), "/srv/someone");
    }
    // Without a usable HOME the account's folder (or the root) is used.
    for (const char* value : {static_cast<const char*>(nullptr), ""})
    {
        CHomeOverride home(value);
        std::string folder = CSettingsStore::DefaultTrackDir();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.front(), '/');
        EXPECT_EQ(CSettingsStore::DefaultLastPath(), folder);
    }
}
#endif

TEST(SettingsStore, TrackDir)
{
#ifdef _WIN32
    const std::string replacement = "C:";
#else
    CHomeOverride home("/home/listener");
    const std::string replacement = "/home/listener";
#endif
    {
        // Explicitly empty: repaired in the store, once.
        CMemorySettingsStorage storage;
        storage.PutString(kGeneral, "TrackDir", "");
        CSettingsStore store(storage);
        EXPECT_EQ(store.GetTrackDir(), replacement);
        EXPECT_EQ(storage.ReadString(kGeneral, "TrackDir"), replacement);
        EXPECT_EQ(store.GetTrackDir(), replacement);
        EXPECT_EQ(storage.WriteCount(), 1u);
    }
    {
        // Absent: the default, not written back.
        CMemorySettingsStorage storage;
        CSettingsStore store(storage);
        EXPECT_EQ(store.GetTrackDir(), CSettingsStore::DefaultTrackDir());
        EXPECT_FALSE(storage.Has(kGeneral, "TrackDir"));
    }
    {
        // Stored texts come back unchanged, trailing separator included.
        CMemorySettingsStorage storage;
        CSettingsStore store(storage);
        store.SetTrackDir("/music/Ünïcødé 音楽/");
        EXPECT_EQ(store.GetTrackDir(), "/music/Ünïcødé 音楽/");
        EXPECT_EQ(storage.Writes(), std::vector<std::string>{"GeneralProperties/TrackDir"});
    }
}

TEST(SettingsStore, GeneralValuesAndFlags)
{
    CMemorySettingsStorage storage;
    CSettingsStore store(storage);

    // Any non-zero format means compressed; the store must not narrow it.
    storage.PutInt(kGeneral, "WAVFormat", 2);
    EXPECT_EQ(store.GetWAVFormat(), 2);
    store.SetWAVFormat(1);
    EXPECT_EQ(storage.ReadInt(kGeneral, "WAVFormat"), 1);

    // Flags: any non-zero stored value is on; setters store exactly 0 or 1.
    storage.PutInt(kGeneral, "ID3Check", -1);
    storage.PutInt(kGeneral, "Normalize", 0);
    storage.PutInt(kGeneral, "ConvertCorruptFiles", 7);
    EXPECT_TRUE(store.GetID3Check());
    EXPECT_FALSE(store.GetNormalize());
    EXPECT_TRUE(store.GetConvertCorruptFiles());

    store.SetID3Check(false);
    store.SetNormalize(true);
    store.SetConvertCorruptFiles(true);
    EXPECT_EQ(storage.ReadInt(kGeneral, "ID3Check"), 0);
    EXPECT_EQ(storage.ReadInt(kGeneral, "Normalize"), 1);
    EXPECT_EQ(storage.ReadInt(kGeneral, "ConvertCorruptFiles"), 1);
    EXPECT_FALSE(store.GetID3Check());
    EXPECT_TRUE(store.GetNormalize());

    // Nothing is cached: a change made behind the store's back is seen.
    storage.PutInt(kGeneral, "ID3Check", 1);
    EXPECT_TRUE(store.GetID3Check());

    store.SetLastPath("/data/ripped");
    EXPECT_EQ(storage.ReadString("LastPath", "Path"), "/data/ripped");
    EXPECT_EQ(store.GetLastPath(), "/data/ripped");
    EXPECT_EQ(store.GetTrackDir(), CSettingsStore::DefaultTrackDir());
}

TEST(SettingsStore, RecordsAreStoredUnderTheirNames)
{
    CMemorySettingsStorage storage;
    CSettingsStore store(storage);
    const EncoderProperties mp3{.bitRateIndex = 6, .qualityIndex = 2, .cbr = false, .vbr = true};
    store.SetEncoderProperties(mp3);
    // Every Ogg field differs so that a swapped name ("CBR" is the index,
    // "USECBR" the flag) shows.
    const OggProperties ogg{11, 12, 13, 4, 1, 2, 3, 17}; // in field order
    store.SetOggProperties(ogg);

    EXPECT_EQ(storage.WriteCount(), 12u);
    const std::pair<const char*, int> mp3Stored[] = {
        {"BitRate", 6}, {"Quality", 2}, {"CBR", 0}, {"VBR", 1}};
    for (const auto& [name, value] : mp3Stored)
        EXPECT_EQ(storage.ReadInt(kEncoder, name), value) << name;
    const std::pair<const char*, int> oggStored[] = {{"USECBR", 11}, {"USEBBR", 12}, {"USEVBR", 13},
                                                     {"CBR", 4},     {"BBRMIN", 1},  {"BBRNOM", 2},
                                                     {"BBRMAX", 3},  {"VBR", 17}};
    for (const auto& [name, value] : oggStored)
        EXPECT_EQ(storage.ReadInt(kOgg, name), value) << name;
    EXPECT_EQ(Fields(store.GetEncoderProperties()), Fields(mp3));
    EXPECT_EQ(Fields(store.GetOggProperties()), Fields(ogg));

    // A value written by hand: any non-zero CBR is set.
    storage.PutInt(kEncoder, "CBR", 5);
    EXPECT_TRUE(store.GetEncoderProperties().cbr);
}

TEST(SettingsStore, AbsentOrDamagedValuesReadAsDefaults)
{
    CMemorySettingsStorage fresh;
    ExpectDefaults(CSettingsStore(fresh), fresh);

    CMemorySettingsStorage storage;
    for (const char* name : {"WAVFormat", "ID3Check", "Normalize", "ConvertCorruptFiles"})
        storage.PutString(kGeneral, name, "yes");
    for (const char* name : {"BitRate", "Quality", "CBR", "VBR"})
        storage.PutString(kEncoder, name, "");
    for (const char* name :
         {"USECBR", "USEBBR", "USEVBR", "CBR", "BBRMIN", "BBRNOM", "BBRMAX", "VBR"})
        storage.PutString(kOgg, name, "\xff\xfe garbage");
    storage.PutInt(kGeneral, "TrackDir", 3);
    storage.PutInt("LastPath", "Path", 0);
    CSettingsStore store(storage);
    // A number where a folder is expected is not an empty folder: no repair.
    ExpectDefaults(store, storage);

    // Extreme numbers pass through untouched; judging them is the readers' job.
    storage.PutInt(kGeneral, "WAVFormat", INT_MIN);
    storage.PutInt(kOgg, "VBR", INT_MAX);
    EXPECT_EQ(store.GetWAVFormat(), INT_MIN);
    EXPECT_EQ(store.GetOggProperties().vbrPosition, INT_MAX);
}
