#pragma once

#include "audio/play/WaveOutDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CAudioFile;

// Plays one audio file through a wave output device. A ring of blocks of
// decoded PCM stays queued at the device; each block the device reports done
// is refilled. The device's notices go to the listener given to Open, which
// hands each one back to OnBlockDone (DeliverBlockDone below does what the
// owner should do). Everything runs on the user interface thread.
class CWavePlayer
{
public:
    static constexpr int kBlockCount = 15;
    static constexpr std::size_t kBlockBytes = 8192;

    // `device` must not be null; the player owns and closes it.
    explicit CWavePlayer(std::unique_ptr<IWaveOutDevice> device);
    ~CWavePlayer();
    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;

    // Begins decoding `file` from the start and opens the device with its
    // format, notices going to `listener`. Not playing afterwards. Returns
    // false when the file cannot be decoded. A device that cannot be opened
    // leaves the player silent: Start then does nothing. `file` is not owned
    // and must outlive the player or its Stop.
    bool Open(CAudioFile& file, IWaveOutListener& listener);
    // Starts or resumes playing; nothing while already playing.
    void Start();
    // Holds the device; the file and the device stay open, so Start resumes.
    void Pause();
    // When not playing: closes the device and ends decoding. Ignored while
    // playing, so an owner releasing playback calls Pause first.
    void Stop();
    // Moves to `percent` (0 to 100) of the file's length; goes on playing
    // from there when it was playing.
    void SeekPercent(int percent);
    // One block-done notice of the device. `force` keeps feeding blocks, even
    // empty ones, past the end of the audio.
    void OnBlockDone(bool force = false);
    // Stops feeding and drops the queued blocks; device and file stay open.
    void Halt();

    // False once the last block after the end of the audio is done: the
    // owner then rewinds with SeekPercent(0).
    bool IsActive() const { return m_bPlaying || m_Queued >= 0; }
    bool IsPlaying() const { return m_bPlaying; }
    // Whether its output is open; an output lost on the way leaves a player
    // that can no longer play.
    bool HasDevice() const { return m_Device->IsOpen(); }
    // Decoding position in milliseconds, taken at each block done and seek.
    std::int32_t GetPosition() const { return m_Position; }

private:
    using Block = std::array<std::uint8_t, kBlockBytes>;

    void FillBlocks(bool force);
    void DropQueued();
    void CloseDevice();

    std::int32_t m_Position = 0;
    bool m_bPlaying = false;
    bool m_bDecoding = false;
    // Blocks at the device and not yet done. The empty block that ends the
    // audio is not counted, so its notice takes this below 0.
    int m_Queued = 0;
    int m_Next = 0;
    int m_BlockCount = 0;
    std::unique_ptr<IWaveOutDevice> m_Device;
    std::vector<Block> m_Blocks;
    CAudioFile* m_AudioFile = nullptr;
};

// What the owner of a player does with each block-done notice: hand it on,
// and rewind to the start once the audio has played to its end.
void DeliverBlockDone(CWavePlayer& player);
