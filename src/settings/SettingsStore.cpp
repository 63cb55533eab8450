#include "settings/SettingsStore.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#include <vector>
#endif

namespace
{
const std::string kGeneral = "GeneralProperties";
const std::string kEncoder = "EncoderProperties";
const std::string kOgg = "EncoderOGGVorbisProperties";
const std::string kLastPath = "LastPath";

int ReadIntOr(const ISettingsStorage& storage, const std::string& section, const std::string& name,
              int fallback)
{
    return storage.ReadInt(section, name).value_or(fallback);
}

bool ReadFlag(const ISettingsStorage& storage, const std::string& section, const std::string& name,
              int fallback)
{
    return ReadIntOr(storage, section, name, fallback) != 0;
}

void WriteFlag(ISettingsStorage& storage, const std::string& section, const std::string& name,
               bool on)
{
    storage.WriteInt(section, name, on ? 1 : 0);
}

#ifndef _WIN32
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;

    // Services and stripped environments may have no HOME; the account's
    // entry still names the folder.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && *found->pw_dir != '\0')
        return found->pw_dir;
    return "/";
}
#endif

// What replaces an explicitly empty output folder. On Windows this is the
// upper-case drive, unlike the lower-case default of an absent value.
std::string EmptyTrackDirReplacement()
{
#ifdef _WIN32
    return "C:";
#else
    return HomeFolder();
#endif
}
} // namespace

std::string CSettingsStore::DefaultTrackDir()
{
#ifdef _WIN32
    return "c:";
#else
    return HomeFolder();
#endif
}

std::string CSettingsStore::DefaultLastPath()
{
#ifdef _WIN32
    return "c:\\";
#else
    return HomeFolder();
#endif
}

std::string CSettingsStore::GetTrackDir() const
{
    std::optional<std::string> stored = m_storage.ReadString(kGeneral, "TrackDir");
    if (!stored)
        return DefaultTrackDir();
    if (stored->empty())
    {
        // Repaired in the store rather than only here, so that every later
        // reader (and the settings page) sees a usable folder.
        std::string replacement = EmptyTrackDirReplacement();
        m_storage.WriteString(kGeneral, "TrackDir", replacement);
        return replacement;
    }
    return *stored;
}

void CSettingsStore::SetTrackDir(const std::string& folder)
{
    m_storage.WriteString(kGeneral, "TrackDir", folder);
}

int CSettingsStore::GetWAVFormat() const
{
    return ReadIntOr(m_storage, kGeneral, "WAVFormat", 0);
}

void CSettingsStore::SetWAVFormat(int format)
{
    m_storage.WriteInt(kGeneral, "WAVFormat", format);
}

bool CSettingsStore::GetID3Check() const
{
    return ReadFlag(m_storage, kGeneral, "ID3Check", 1);
}

void CSettingsStore::SetID3Check(bool on)
{
    WriteFlag(m_storage, kGeneral, "ID3Check", on);
}

bool CSettingsStore::GetDecodeCheck() const
{
    return ReadFlag(m_storage, kGeneral, "DecodeCheck", 0);
}

void CSettingsStore::SetDecodeCheck(bool on)
{
    WriteFlag(m_storage, kGeneral, "DecodeCheck", on);
}

bool CSettingsStore::GetNormalize() const
{
    return ReadFlag(m_storage, kGeneral, "Normalize", 1);
}

void CSettingsStore::SetNormalize(bool on)
{
    WriteFlag(m_storage, kGeneral, "Normalize", on);
}

std::string CSettingsStore::GetRepairBackupFolder() const
{
    return m_storage.ReadString(kGeneral, "RepairBackupFolder").value_or("");
}

void CSettingsStore::SetRepairBackupFolder(const std::string& folder)
{
    m_storage.WriteString(kGeneral, "RepairBackupFolder", folder);
}

bool CSettingsStore::GetConvertCorruptFiles() const
{
    return ReadFlag(m_storage, kGeneral, "ConvertCorruptFiles", 1);
}

void CSettingsStore::SetConvertCorruptFiles(bool on)
{
    WriteFlag(m_storage, kGeneral, "ConvertCorruptFiles", on);
}

bool CSettingsStore::GetRememberChecks() const
{
    // Off unless asked for: every analysis reads every file.
    return ReadFlag(m_storage, kGeneral, "RememberChecks", 0);
}

void CSettingsStore::SetRememberChecks(bool on)
{
    WriteFlag(m_storage, kGeneral, "RememberChecks", on);
}

EncoderProperties CSettingsStore::GetEncoderProperties() const
{
    EncoderProperties properties;
    properties.bitRateIndex = ReadIntOr(m_storage, kEncoder, "BitRate", 2);
    properties.qualityIndex = ReadIntOr(m_storage, kEncoder, "Quality", 0);
    properties.cbr = ReadFlag(m_storage, kEncoder, "CBR", -1);
    properties.vbr = ReadFlag(m_storage, kEncoder, "VBR", 0);
    return properties;
}

void CSettingsStore::SetEncoderProperties(const EncoderProperties& properties)
{
    m_storage.WriteInt(kEncoder, "BitRate", properties.bitRateIndex);
    m_storage.WriteInt(kEncoder, "Quality", properties.qualityIndex);
    WriteFlag(m_storage, kEncoder, "CBR", properties.cbr);
    WriteFlag(m_storage, kEncoder, "VBR", properties.vbr);
}

OggProperties CSettingsStore::GetOggProperties() const
{
    OggProperties properties;
    properties.useBbr = ReadIntOr(m_storage, kOgg, "USEBBR", 0);
    properties.useCbr = ReadIntOr(m_storage, kOgg, "USECBR", 1);
    properties.useVbr = ReadIntOr(m_storage, kOgg, "USEVBR", 0);
    properties.bbrMin = ReadIntOr(m_storage, kOgg, "BBRMIN", 0);
    properties.bbrNom = ReadIntOr(m_storage, kOgg, "BBRNOM", 1);
    properties.bbrMax = ReadIntOr(m_storage, kOgg, "BBRMAX", 2);
    properties.cbrIndex = ReadIntOr(m_storage, kOgg, "CBR", 1);
    properties.vbrPosition = ReadIntOr(m_storage, kOgg, "VBR", 0);
    return properties;
}

void CSettingsStore::SetOggProperties(const OggProperties& properties)
{
    m_storage.WriteInt(kOgg, "USEBBR", properties.useBbr);
    m_storage.WriteInt(kOgg, "USECBR", properties.useCbr);
    m_storage.WriteInt(kOgg, "USEVBR", properties.useVbr);
    m_storage.WriteInt(kOgg, "BBRMIN", properties.bbrMin);
    m_storage.WriteInt(kOgg, "BBRNOM", properties.bbrNom);
    m_storage.WriteInt(kOgg, "BBRMAX", properties.bbrMax);
    m_storage.WriteInt(kOgg, "CBR", properties.cbrIndex);
    m_storage.WriteInt(kOgg, "VBR", properties.vbrPosition);
}

std::string CSettingsStore::GetLastPath() const
{
    return m_storage.ReadString(kLastPath, "Path").value_or(DefaultLastPath());
}

void CSettingsStore::SetLastPath(const std::string& folder)
{
    m_storage.WriteString(kLastPath, "Path", folder);
}
