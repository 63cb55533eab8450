#pragma once

#include "audio/AudioFile.h"
#include "io/Status.h"

#include <cstdint>
#include <memory>
#include <string>

// One file opened for a moment through the audio file class its extension
// names, so that its length and tags are known. A path with an extension
// none of the classes takes has no audio file and a length of 0.
class CAudioTrack
{
public:
    explicit CAudioTrack(const std::string& path);

    CAudioFile* GetAudioFile() const { return m_pAudioFile.get(); }
    // Milliseconds; 0 without an audio file.
    std::int32_t GetLength() const;
    const std::string& GetPathText() const;
    // The extension, dot included, in upper case.
    const std::string& GetExtension() const { return m_Extension; }

private:
    std::unique_ptr<CAudioFile> m_pAudioFile;
    std::string m_Extension;
    std::string m_Path;
};

// A source of decoded audio for a conversion.
class IDiscTrack
{
public:
    // Playing time in sectors of 1/75 second.
    virtual std::int32_t GetLengthInSectors() const = 0;
    virtual ~IDiscTrack() = default;
    // Opens the file at `path` in place of the current one; fails when it
    // cannot be read (or no class takes its extension).
    virtual Status SetFile(const std::string& path) = 0;
    virtual Status BeginDecoding() = 0;
    virtual void EndDecoding() = 0;
    virtual std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                              std::size_t capacity) = 0;
};

class CDiscAudioTrack final : public IDiscTrack
{
public:
    std::int32_t GetLengthInSectors() const override;
    Status SetFile(const std::string& path) override;
    Status BeginDecoding() override;
    void EndDecoding() override;
    std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                      std::size_t capacity) override;

    CAudioFile* GetAudioFile() const { return m_pAudioFile.get(); }

private:
    std::unique_ptr<CAudioFile> m_pAudioFile;
};
