#pragma once

#include "audio/wav/WaveFormat.h"
#include "io/Status.h"

#include <array>
#include <cstdint>
#include <string>

class CAudioWaveFile;
class CDiscAudioTrack;
class IDiscTrack;
class IProgressSink;
class IRunHost;

// Normalises a WAV file that a conversion has just written: the loudest
// sample is brought to 95 % of full scale by one gain for the whole file.
// The scaled copy is written to "~" + the file's name in `folder` and then
// renamed over the output in one step. Returns true when the output was
// replaced by its normalised copy; false on a cancel (asked of `host`) or an
// error (told to `host`), and then the output is left complete and
// unscaled and the temporary file is removed. `compressed` writes the copy
// as IMA ADPCM, else as 16-bit PCM. Shows "Normalizing" in the caption.
// A file too quiet for the largest gain (or silent) is left as it is and
// counts as done; `note`, when given, then says why for a quiet one.
bool NormalizeWaveFile(const std::string& output, const std::string& folder, bool compressed,
                       IRunHost& host, std::string* note = nullptr);

// The first pass: reads a track to its end for its loudest sample and
// derives the gain that brings that sample to 95 % of full scale.
class PeakScanner
{
public:
    // Stores the track and sink, reports 0 % and starts decoding; fails
    // when the track cannot be decoded.
    Status Init(IDiscTrack& track, IProgressSink& sink);
    // Reads the whole track. Returns 1 when a cancel stopped it before a
    // block, else 0; a cancel noticed after a block raises CUserException.
    int Scan();
    // Ends decoding and settles the gain from the peak.
    std::int32_t ComputeGain();
    std::int32_t GetPeak() const { return m_peak; }

    // The gain in percent for a peak magnitude (0 to 32768): 0 for silence,
    // 3112960 / peak below 95 % of full scale, else 100. Up to 3112960 for
    // a peak of 1, so it needs more than 16 bits.
    static std::int32_t GainForPeak(std::int32_t peak);

    // Bytes of PCM the scan read.
    std::uint64_t GetBytesRead() const { return m_bytes; }

private:
    IDiscTrack* m_track = nullptr;
    IProgressSink* m_sink = nullptr;
    std::int32_t m_peak = 0;
    std::int32_t m_gain = 100;
    std::int32_t m_total = 0;
    std::uint64_t m_bytes = 0;
};

// The second pass: writes a copy of the source with every sample scaled by
// the gain the first pass found, then closes and tags it.
class CWaveNormalizer
{
public:
    // One entry per sample value, -32768 first.
    using GainTable = std::array<std::int16_t, 65536>;
    // +40 dB: a larger gain would turn dither, hiss or a click in silence
    // into loud noise.
    static constexpr std::int32_t kMaxGain = 10000;

    // Stores source, target and sink, reports 0 % and chooses the copy's
    // format: 1 IMA ADPCM, 0 PCM (both 44100 Hz stereo); anything else
    // leaves the format empty, which the target refuses to write.
    void Init(CDiscAudioTrack& source, CAudioWaveFile& target, int formatChoice,
              IProgressSink& sink);
    // Both passes. Returns 1 when a cancel came before or between blocks
    // (the copy then is not finished), else 0. Raises CUserException for a
    // cancel noticed after a block and CFileException for errors of the
    // files, also when the source cannot be read to its end a second time.
    int Run();
    // Closes and tags the finished copy and ends decoding of the source.
    // Raises CFileException when the copy cannot be finished or tagged.
    void Finish();
    // Ends decoding of the source after a failure; the unfinished copy goes
    // with its target object.
    void Abandon();
    // Whether Run got as far as creating the copy.
    bool TargetCreated() const { return m_targetCreated; }
    // Whether Run found the file silent or too quiet for kMaxGain and so
    // made no copy; Finish is then not needed.
    bool LeftAsIs() const { return m_gain == 0 || m_gain > kMaxGain; }
    // The loudest sample magnitude the first pass found.
    std::int32_t Peak() const { return m_peak; }

    // gain * s / 100 for each sample value s, cut toward zero and held to
    // the 16-bit range.
    static void BuildGainTable(std::int32_t gain, GainTable& table);

private:
    IProgressSink* m_sink = nullptr;
    CDiscAudioTrack* m_source = nullptr;
    CAudioWaveFile* m_target = nullptr;
    GainTable m_table{};
    std::int32_t m_total = 0;
    std::int32_t m_gain = 100;
    std::int32_t m_peak = 0;
    CWaveFormat m_format;
    bool m_targetCreated = false;
};
