#include "conversion/WaveNormalizer.h"

#include "audio/wav/AudioWaveFile.h"
#include "io/FileException.h"
#include "io/Paths.h"
#include "tracks/AudioTrack.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <vector>

namespace
{
constexpr std::size_t kBlockBytes = 65536;
constexpr std::int64_t kProgressStep = 2800;     // per block, against the length in sectors
constexpr std::int32_t kGainNumerator = 3112960; // 95 * 32768
constexpr std::int32_t kPeakAtTarget = 31129;    // the largest peak below 0.95 * 32768

// A block's worth of progress. With no length (under 14 ms) the bar stays.
void Advance(std::int64_t& counter, std::int32_t total, IProgressSink& sink)
{
    counter += kProgressStep;
    if (total > 0)
        sink.SetProgress(static_cast<int>(std::min<std::int64_t>(counter / total, 100)));
}

std::int16_t SampleAt(const std::uint8_t* at)
{
    return static_cast<std::int16_t>(at[0] | at[1] << 8);
}

} // namespace

Status PeakScanner::Init(IDiscTrack& track, IProgressSink& sink)
{
    m_track = &track;
    m_sink = &sink;
    m_total = track.GetLengthInSectors();
    m_sink->SetProgress(0);
    return m_track->BeginDecoding();
}

int PeakScanner::Scan()
{
    m_peak = 0;
    m_bytes = 0;
    std::int64_t counter = 0;
    std::vector<std::uint8_t> block(kBlockBytes);
    while (!m_sink->IsCancelled())
    {
        const std::int32_t got = m_track->Read(2048, 32, block.data(), block.size());
        if (got <= 0)
            break;
        const auto bytes = static_cast<std::size_t>(got);
        m_bytes += bytes;
        for (std::size_t at = 0; at + 1 < bytes; at += 2)
        {
            const std::int32_t sample = SampleAt(&block[at]);
            m_peak = std::max(m_peak, sample < 0 ? -sample : sample);
        }
        Advance(counter, m_total, *m_sink);
        if (m_sink->IsCancelled())
            throw CUserException();
    }
    return m_sink->IsCancelled() ? 1 : 0;
}

std::int32_t PeakScanner::ComputeGain()
{
    m_track->EndDecoding();
    m_gain = GainForPeak(m_peak);
    return m_gain;
}

std::int32_t PeakScanner::GainForPeak(std::int32_t peak)
{
    if (peak <= 0)
        return 0;
    // Integer division truncates exactly as the quotient in floating point
    // would: the divisor is at most 32768.
    return peak <= kPeakAtTarget ? kGainNumerator / peak : 100;
}

void CWaveNormalizer::Init(CDiscAudioTrack& source, CAudioWaveFile& target, int formatChoice,
                           IProgressSink& sink)
{
    m_source = &source;
    m_target = &target;
    m_sink = &sink;
    m_targetCreated = false;
    m_sink->SetProgress(0);
    if (formatChoice == 1)
        m_format = CWaveFormat::ImaAdpcm44100Stereo();
    else if (formatChoice == 0)
        m_format = CWaveFormat::Pcm44100Stereo();
    else
        m_format = CWaveFormat();
}

void CWaveNormalizer::BuildGainTable(std::int32_t gain, GainTable& table)
{
    for (std::int32_t s = -32768; s <= 32767; ++s)
    {
        // 64-bit: a very quiet file's gain times a loud sample passes 2^31.
        const std::int64_t v = std::int64_t{gain} * s / 100;
        table[static_cast<std::size_t>(s + 32768)] =
            static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
    }
}

int CWaveNormalizer::Run()
{
    CAudioFile* audio = m_source->GetAudioFile();
    const std::string path = audio ? audio->GetPath() : std::string();
    if (!audio)
        throw CFileException(CFileException::kGeneric, "not an audio file", path);
    // The copy is written as 44100 Hz stereo, as every conversion writes;
    // anything else would come out at the wrong speed.
    if (audio->GetSampleRate() != 44100 || audio->GetChannels() != 2)
        throw CFileException(CFileException::kGeneric, "only 44100 Hz stereo files are normalized",
                             path);

    PeakScanner scanner;
    if (Status decoding = scanner.Init(*m_source, *m_sink); !decoding)
        throw CFileException(CFileException::kGeneric, decoding.Reason(), path);
    scanner.Scan();
    m_gain = scanner.ComputeGain();
    m_peak = scanner.GetPeak();
    if (m_sink->IsCancelled())
        return 1;
    if (LeftAsIs())
        return 0;

    m_total = m_source->GetLengthInSectors();
    BuildGainTable(m_gain, m_table);
    if (!audio->GetArtist().empty())
        m_target->SetArtist(audio->GetArtist());
    if (!audio->GetTitle().empty())
        m_target->SetTitle(audio->GetTitle());
    if (!audio->GetAlbum().empty())
        m_target->SetAlbum(audio->GetAlbum());

    if (Status decoding = m_source->BeginDecoding(); !decoding)
        throw CFileException(CFileException::kGeneric, decoding.Reason(), path);
    m_target->CreateForWriting(m_target->GetPath(), m_format);
    m_targetCreated = true;

    std::vector<std::uint8_t> block(kBlockBytes);
    std::int64_t counter = 0;
    std::uint64_t copied = 0;
    while (!m_sink->IsCancelled())
    {
        const std::int32_t got = m_source->Read(2048, 32, block.data(), block.size());
        if (got <= 0)
            break;
        const auto bytes = static_cast<std::size_t>(got);
        for (std::size_t at = 0; at + 1 < bytes; at += 2)
        {
            const auto scaled = static_cast<std::uint16_t>(
                m_table[static_cast<std::size_t>(SampleAt(&block[at]) + 32768)]);
            block[at] = static_cast<std::uint8_t>(scaled & 0xFF);
            block[at + 1] = static_cast<std::uint8_t>(scaled >> 8);
        }
        m_target->WriteData(block.data(), bytes);
        copied += bytes;
        Advance(counter, m_total, *m_sink);
        if (m_sink->IsCancelled())
            throw CUserException();
    }
    if (m_sink->IsCancelled())
        return 1;
    // A read that fails part way looks like the end; a copy shorter than
    // what the first pass saw must not replace the file.
    if (copied < scanner.GetBytesRead())
        throw CFileException(CFileException::kGeneric, "the file could not be read to its end",
                             path);
    return 0;
}

void CWaveNormalizer::Finish()
{
    m_target->CloseWriting();
    if (Status written = m_target->WriteTags(); !written)
        throw CFileException(CFileException::kGeneric, written.Reason(), m_target->GetPath());
    m_source->EndDecoding();
}

void CWaveNormalizer::Abandon()
{
    if (m_source)
        m_source->EndDecoding();
}

namespace
{
// "~" + the output's name in `folder`; should a file of that name already be
// there (someone else's), a number follows the "~" so that it is never
// overwritten.
std::string TemporaryPathFor(const std::filesystem::path& output, const std::string& folder)
{
    const std::string name = Utf8FromPath(output.filename());
    std::error_code error;
    for (int attempt = 1;; ++attempt)
    {
        const std::string prefix = attempt == 1 ? "~" : "~" + std::to_string(attempt) + "~";
        const std::filesystem::path candidate = PathFromUtf8(folder) / PathFromUtf8(prefix + name);
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error)) ||
            attempt == 1000)
            return Utf8FromPath(candidate);
    }
}

std::string QuietNote(std::int32_t peak)
{
    const long dbfs = std::lround(20 * std::log10(peak / 32768.0));
    return "too quiet to normalise (peak " + std::to_string(dbfs) + " dBFS)";
}
} // namespace

bool NormalizeWaveFile(const std::string& output, const std::string& folder, bool compressed,
                       IRunHost& host, std::string* note)
{
    namespace fs = std::filesystem;
    const fs::path outputPath = PathFromUtf8(output);
    const std::string temporary = TemporaryPathFor(outputPath, folder);

    host.SetCaption(strings::kNormalizing);
    CDiscAudioTrack source;
    auto target = std::make_unique<CAudioWaveFile>();
    target->SetPath(temporary);
    const auto normalizer = std::make_unique<CWaveNormalizer>(); // holds a 128 KiB table

    // On every way out but success: the copy goes (an unfinished one with
    // its writer, a finished one by name) and the output stays as it was.
    const auto discard = [&]
    {
        normalizer->Abandon();
        const std::string written = target->GetPath();
        target.reset();
        if (normalizer->TargetCreated())
        {
            std::error_code ignored;
            fs::remove(PathFromUtf8(written), ignored);
        }
    };

    bool replaced = false;
    try
    {
        if (Status opened = source.SetFile(output); !opened)
            throw CFileException(CFileException::kGeneric, opened.Reason(), output);
        normalizer->Init(source, *target, compressed ? 1 : 0, host);
        const int cancelled = normalizer->Run();
        if (cancelled == 0 && normalizer->LeftAsIs())
        {
            normalizer->Abandon();
            replaced = true;
            if (note && normalizer->Peak() > 0)
                *note = QuietNote(normalizer->Peak());
        }
        else if (cancelled == 0)
        {
            normalizer->Finish();
            // One step: the output is either the old file or the new one.
            std::error_code error;
            fs::rename(PathFromUtf8(target->GetPath()), outputPath, error);
            if (error)
                throw CFileException(CFileException::kGeneric, error.message(), target->GetPath());
            replaced = true;
        }
        else
        {
            discard();
        }
    }
    catch (const CUserException&)
    {
        discard();
    }
    catch (const CFileException& e)
    {
        discard();
        std::string text = "Cannot normalize " + output + ": " + e.Reason();
        if (e.Path() != output && !e.Path().empty())
            text += " (" + e.Path() + ")";
        host.ShowMessage(text, MessageIcon::Error);
    }
    catch (...)
    {
        discard();
        host.SetCaption("");
        throw;
    }
    host.SetCaption("");
    return replaced;
}
