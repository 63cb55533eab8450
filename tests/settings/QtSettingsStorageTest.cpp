#include "settings/QtSettingsStorage.h"

#include "settings/SettingsStore.h"
#include "support/TempDir.h"

#include <QSettings>
#include <QString>
#include <climits>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

TEST(QtSettingsStorage, ValuesSurviveInAFreshStorageOnTheSameFile)
{
    CTempDir dir;
    const std::string file = dir.File("settings.conf");
    {
        CQtSettingsStorage storage(file);
        storage.WriteInt("EncoderProperties", "BitRate", 6);
        storage.WriteInt("EncoderProperties", "CBR", -1);
        storage.WriteInt("EncoderProperties", "VBR", INT_MIN);
        storage.WriteString("GeneralProperties", "TrackDir", "/Musik/Ünïcødé 音楽, live");
        storage.WriteString("LastPath", "Path", "");
    }
    CQtSettingsStorage reread(file);
    EXPECT_EQ(reread.ReadInt("EncoderProperties", "BitRate"), 6);
    EXPECT_EQ(reread.ReadInt("EncoderProperties", "CBR"), -1);
    EXPECT_EQ(reread.ReadInt("EncoderProperties", "VBR"), INT_MIN);
    EXPECT_EQ(reread.ReadString("GeneralProperties", "TrackDir"), "/Musik/Ünïcødé 音楽, live");
    // Empty is a value, not an absence: the output folder repair depends on it.
    EXPECT_EQ(reread.ReadString("LastPath", "Path"), std::string());

    // Sections are separate: the same name elsewhere is another value.
    EXPECT_EQ(reread.ReadInt("EncoderOGGVorbisProperties", "CBR"), std::nullopt);
    EXPECT_EQ(reread.ReadInt("GeneralProperties", "WAVFormat"), std::nullopt);
    EXPECT_EQ(reread.ReadString("Nowhere", "TrackDir"), std::nullopt);
}

TEST(QtSettingsStorage, WritesReachTheFileAtOnceAndOutsideChangesAreSeen)
{
    CTempDir dir;
    const std::string file = dir.File("settings.conf");
    CQtSettingsStorage storage(file);
    storage.WriteInt("GeneralProperties", "WAVFormat", 1);

    // Read with plain file I/O: an in-process QSettings would share Qt's cache.
    std::string text;
    {
        std::ifstream in(file);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(text.find("WAVFormat=1"), std::string::npos) << text;

    // Another program (the command line, say) changes the file.
    {
        std::ofstream out(file, std::ios::trunc);
        out << "[GeneralProperties]\nWAVFormat=0\nNormalize=0\n";
    }
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "WAVFormat"), 0);
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "Normalize"), 0);
}

TEST(QtSettingsStorage, HandEditedValues)
{
    CTempDir dir;
    const std::string file = dir.File("settings.conf");
    {
        std::ofstream out(file);
        out << "[GeneralProperties]\n"
               "WAVFormat=2\n"
               "ID3Check=on\n"
               "Normalize=12abc\n"
               "ConvertCorruptFiles=99999999999\n"
               "TrackDir=/srv/a, b\n"
               "[EncoderProperties]\n"
               "BitRate= 4 \n"
               "Quality=\n"
               "CBR=@Invalid()\n";
    }
    CQtSettingsStorage storage(file);
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "WAVFormat"), 2);
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "ID3Check"), std::nullopt);
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "Normalize"), std::nullopt);
    EXPECT_EQ(storage.ReadInt("GeneralProperties", "ConvertCorruptFiles"), std::nullopt);
    EXPECT_EQ(storage.ReadString("GeneralProperties", "TrackDir"), "/srv/a, b");
    EXPECT_EQ(storage.ReadInt("EncoderProperties", "BitRate"), 4);
    EXPECT_EQ(storage.ReadInt("EncoderProperties", "Quality"), std::nullopt);
    EXPECT_EQ(storage.ReadInt("EncoderProperties", "CBR"), std::nullopt);

    // Through the typed store, damage falls back to the defaults.
    CSettingsStore store(storage);
    EXPECT_EQ(store.GetWAVFormat(), 2);
    EXPECT_TRUE(store.GetID3Check());
    EXPECT_TRUE(store.GetEncoderProperties().cbr);
}

TEST(QtSettingsStorage, UnwritableFileIsSilent)
{
    CTempDir dir;
    // A folder where the file should be: every write fails.
    const std::string file = dir.File("blocked.conf");
    std::filesystem::create_directory(file);
    CQtSettingsStorage storage(file);
    storage.WriteString("LastPath", "Path", "/x");
    storage.WriteInt("GeneralProperties", "WAVFormat", 1);
}

TEST(QtSettingsStorage, DefaultLocationIsPerUserUnderTheCompanyKey)
{
    CTempDir dir;
    // Redirects the per-user location so the real settings stay untouched.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.Path().string()));
    CQtSettingsStorage storage;
    const std::string location = storage.Location();
#ifdef _WIN32
    EXPECT_NE(location.find("BRELVIND"), std::string::npos);
    EXPECT_NE(location.find("Brelvind Tunewright 2.1"), std::string::npos);
#else
    ASSERT_EQ(location, (dir.Path() / "BRELVIND" / "Brelvind Tunewright 2.1.conf").string());
    storage.WriteString("GeneralProperties", "TrackDir", "/srv/out");
    CQtSettingsStorage reread(location);
    EXPECT_EQ(reread.ReadString("GeneralProperties", "TrackDir"), "/srv/out");
#endif
}
