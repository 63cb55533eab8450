#pragma once

#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Kind of an audio file, as stored in m_Format.
enum AudioFormatKind : std::int32_t
{
    kAudioFormatWave = 0,
    kAudioFormatMpeg = 1,
    kAudioFormatOgg = 2,
};

// Access values for Open. Only the WAV class tells them apart.
enum AudioOpenAccess : std::uint32_t
{
    kOpenDecode = 0,    // for decoding; MP3 and Ogg open their decoder
    kOpenReadWrite = 2, // WAV: read and write, no parsing (tag rewriting)
    kOpenParse = 0x30,  // WAV: read and parse format, data and tags
};

// One audio file on disk, whatever its format: what it holds, its decoded
// PCM (interleaved little-endian signed 16-bit, left before right), its tags.
// Used by one thread at a time. Texts are UTF-8.
class CAudioFile
{
public:
    virtual ~CAudioFile() = default;
    CAudioFile(const CAudioFile&) = delete;
    CAudioFile& operator=(const CAudioFile&) = delete;

    // True when the file exists and cannot be written.
    virtual bool IsReadOnly() const;
    virtual std::uint16_t GetBitsPerSample() const = 0;
    virtual std::uint32_t GetSampleRate() const = 0;
    virtual std::uint16_t GetChannels() const = 0;
    // Channels the file itself holds, before any mix-down to GetChannels().
    virtual std::uint16_t GetFileChannels() const { return GetChannels(); }
    // Playing time in milliseconds.
    virtual std::int32_t GetLength() const = 0;
    // Milliseconds from the start of the audio.
    virtual std::int32_t GetPosition() const = 0;
    // Delivers up to min(size * count, capacity) bytes of PCM into `buffer`.
    // Returns the bytes delivered, fewer only at the end; 0 or -1 when
    // nothing is left or on an error.
    virtual std::int32_t Read(std::size_t size, std::size_t count, void* buffer,
                              std::size_t capacity) = 0;
    virtual void EndDecoding() = 0;
    // Must come before the first Read; starts at the beginning of the audio.
    virtual Status BeginDecoding() = 0;
    // Stores title, artist and album in the file. Needs the file closed for
    // decoding.
    virtual Status WriteTags() = 0;
    // Opens and parses the file once per path; the verdict, with the reason
    // a file is not valid, is kept until the next SetPath.
    virtual Status Validate();
    bool IsValid() { return Validate().Ok(); }

    virtual void SetTitle(const std::string& text) { m_Title = text; }
    virtual const std::string& GetTitle() const { return m_Title; }
    virtual void SetArtist(const std::string& text) { m_Artist = text; }
    virtual const std::string& GetArtist() const { return m_Artist; }
    virtual const std::string& GetAlbum() const { return m_Album; }
    virtual void SetAlbum(const std::string& text) { m_Album = text; }
    virtual void SetPath(const std::string& path);
    virtual const std::string& GetPath() const { return m_Path; }

    virtual void Seek(std::int32_t milliseconds);
    virtual bool HasFormat() const { return false; }
    // Opens the file; see AudioOpenAccess.
    virtual Status Open(std::uint32_t access) = 0;

    // Asked while a file is opened: once it holds, work that reads a whole
    // file to open it (an MP3 scanned for its exact length) gives up and the
    // Open fails. Unset by default.
    void SetInterrupt(std::function<bool()> interrupted) { m_Interrupt = std::move(interrupted); }

    std::int32_t GetFormat() const { return m_Format; }

protected:
    explicit CAudioFile(AudioFormatKind format) : m_Format(format) {}

    static Status Fail(std::string reason) { return Status::Failure(std::move(reason)); }
    // What a Read may deliver: size * count, never more than `capacity`
    // (also when the product overflows) nor than a 32-bit result can say.
    static std::size_t WantedBytes(std::size_t size, std::size_t count, std::size_t capacity);

    std::int32_t m_Format;
    Status m_validity = Status::Failure("not opened yet");
    bool m_Changed = false;
    std::string m_Title;
    std::string m_Artist;
    std::string m_Album;
    std::string m_Path;
    std::function<bool()> m_Interrupt;
};

// `name` with each of \ / : * ? " < > | replaced by '_'. With `keepFolder`
// only the file name after the last folder separator is treated.
std::string MakeValidFileName(const std::string& name, bool keepFolder);
