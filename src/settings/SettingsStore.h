#pragma once

#include <optional>
#include <string>

// The MP3 encoder settings ("EncoderProperties").
struct EncoderProperties
{
    int bitRateIndex = 2; // 0 64, 1 96, 2 128, 3 160, 4 192, 5 256, 6 320 kbit/s
    int qualityIndex = 0; // 0 normal, 1 low, 2 high
    bool cbr = true;
    bool vbr = false;
};

// The Ogg Vorbis encoder settings ("EncoderOGGVorbisProperties"); indexes
// into the Ogg bit-rate table 128, 160, 192, 256, 350 kbit/s.
struct OggProperties
{
    int useCbr = 1;
    int useBbr = 0;
    int useVbr = 0;
    int cbrIndex = 1;
    int bbrMin = 0;
    int bbrNom = 1;
    int bbrMax = 2;
    int vbrPosition = 0; // 0 to 20
};

// A per-user key/value store of integers and texts in named sections: the
// platform's (QSettings) in the program, a map in tests.
class ISettingsStorage
{
public:
    virtual ~ISettingsStorage() = default;
    virtual std::optional<int> ReadInt(const std::string& section,
                                       const std::string& name) const = 0;
    virtual std::optional<std::string> ReadString(const std::string& section,
                                                  const std::string& name) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
};

// The program's options, read from the storage each time they are asked
// for (nothing is cached) and written when set. Absent values read as their
// defaults and are not written back, except an empty "TrackDir".
class CSettingsStore
{
public:
    explicit CSettingsStore(ISettingsStorage& storage) : m_storage(storage) {}

    std::string GetTrackDir() const;
    void SetTrackDir(const std::string& folder);
    int GetWAVFormat() const; // 0 PCM; anything else IMA ADPCM
    void SetWAVFormat(int format);
    bool GetID3Check() const;
    void SetID3Check(bool on);
    bool GetNormalize() const;
    void SetNormalize(bool on);
    // The analysis also decodes every frame (off unless set).
    bool GetDecodeCheck() const;
    void SetDecodeCheck(bool on);
    bool GetConvertCorruptFiles() const;
    void SetConvertCorruptFiles(bool on);
    // Whether an analysis answers unchanged files from the history of checks.
    bool GetRememberChecks() const;
    void SetRememberChecks(bool on);
    EncoderProperties GetEncoderProperties() const;
    void SetEncoderProperties(const EncoderProperties& properties);
    OggProperties GetOggProperties() const;
    void SetOggProperties(const OggProperties& properties);
    // Where repairs put the originals; empty: a folder beside each file.
    std::string GetRepairBackupFolder() const;
    void SetRepairBackupFolder(const std::string& folder);
    std::string GetLastPath() const;
    void SetLastPath(const std::string& folder);

    // The defaults of "TrackDir" and "LastPath": the Windows drive on
    // Windows, the user's home folder elsewhere.
    static std::string DefaultTrackDir();
    static std::string DefaultLastPath();

private:
    ISettingsStorage& m_storage;
};
