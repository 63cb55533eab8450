#include "cli/ConvertCommand.h"

#include "audio/ogg/OggEncoder.h"
#include "cli/CliRunHost.h"
#include "cli/FileCollector.h"
#include "cli/OptionParser.h"
#include "conversion/Pipelines.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <span>

namespace
{
const std::span<const int> kMp3BitrateChoices(kMp3Bitrates, kMp3BitratesOffered);

// The position of `value` in `table`, or -1.
int IndexOf(std::span<const int> table, int value)
{
    const auto found = std::find(table.begin(), table.end(), value);
    return found == table.end() ? -1 : static_cast<int>(found - table.begin());
}

bool ToInt(const std::string& text, int& value)
{
    return ParseCount(text, 0, 999999999, value);
}
} // namespace

int CConvertCommand::Run(const std::vector<std::string>& args)
{
    if (!Parse(args))
        return kExitUsage;
    if (m_options.help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (!m_options.target)
        return UsageError("say what to convert to with --to mp3, ogg, wav or mp3-to-mp3");
    if (m_options.files.empty())
        return UsageError("no file to convert");

    ConversionSettings settings;
    if (m_context.openSettings)
    {
        std::unique_ptr<ISettingsStorage> storage = m_context.openSettings();
        settings = ConversionSettings::Read(CSettingsStore(*storage));
    }
    Apply(settings);

    CFileCollector collector({AudioKind::Mp3, AudioKind::Wav, AudioKind::Ogg}, m_options.recursive);
    for (const std::string& file : m_options.files)
        collector.Add(file);
    for (const std::string& error : collector.Errors())
        m_context.err << kProgramName << ": " << error << "\n";

    std::vector<std::unique_ptr<TrackInfo>> records;
    TrackRefs tracks;
    for (const std::string& file : collector.Files())
    {
        records.push_back(std::make_unique<TrackInfo>());
        records.back()->path = file;
        tracks.push_back(records.back().get());
    }
    CConversionRun run(*m_options.target, tracks, settings, m_options.filter);
    const OverwritePolicy policy = m_options.overwrite > 0   ? OverwritePolicy::Yes
                                   : m_options.overwrite < 0 ? OverwritePolicy::No
                                                             : OverwritePolicy::Ask;
    CCliRunHost host(m_context, policy, tracks.size());
    if (!run.CanStart(host))
        return kExitFailure;
    run.Run(host, m_options.jobs);

    const bool allConverted =
        collector.Errors().empty() && host.Errors() == 0 && !host.IsCancelled() &&
        std::all_of(tracks.begin(), tracks.end(),
                    [&](const TrackInfo* track) {
                        return !run.IsWanted(track->path) || track->convertStatus > kConvertFailed;
                    });
    return allConverted ? kExitOk : kExitFailure;
}

bool CConvertCommand::Parse(const std::vector<std::string>& args)
{
    Options& o = m_options;
    const auto value = [this](const char* option)
    { return [this, option](const std::string& text) { return ParseValue(option, text); }; };
    const auto choice = [](std::optional<bool>& target, bool chosen)
    {
        return [&target, chosen](const std::string&)
        {
            target = chosen;
            return true;
        };
    };
    const auto overwrite = [&o](int answer)
    {
        return [&o, answer](const std::string&)
        {
            o.overwrite = answer;
            return true;
        };
    };
    COptionParser parser(
        "convert",
        {{"-h", "--help", nullptr, SetFlag(o.help)},
         {"-r", "--recursive", nullptr, SetFlag(o.recursive)},
         {nullptr, "--yes", nullptr, overwrite(1)},
         {nullptr, "--no", nullptr, overwrite(-1)},
         {nullptr, "--cbr", nullptr, choice(o.vbr, false)},
         {nullptr, "--vbr", nullptr, choice(o.vbr, true)},
         {nullptr, "--pcm", nullptr, choice(o.compressedWav, false)},
         {nullptr, "--adpcm", nullptr, choice(o.compressedWav, true)},
         {nullptr, "--normalize", nullptr, choice(o.normalize, true)},
         {nullptr, "--no-normalize", nullptr, choice(o.normalize, false)},
         {nullptr, "--convert-corrupt", nullptr, choice(o.convertCorrupt, true)},
         {nullptr, "--no-convert-corrupt", nullptr, choice(o.convertCorrupt, false)},
         {nullptr, "--to", "mp3, ogg, wav or mp3-to-mp3", value("--to")},
         {"-j", "--jobs", "a number of files to convert at a time, 1 or more", value("--jobs")},
         {nullptr, "--out", "a folder", value("--out")},
         {nullptr, "--filter", "all, wav, mp3 or ogg", value("--filter")},
         {nullptr, "--bitrate", "64, 96, 128, 160, 192, 256 or 320", value("--bitrate")},
         {nullptr, "--quality", "normal, low or high", value("--quality")},
         {nullptr, "--ogg-cbr", "128, 160, 192, 256 or 350", value("--ogg-cbr")},
         {nullptr, "--ogg-managed", "MIN,NOM,MAX from 128, 160, 192, 256, 350, in rising order",
          value("--ogg-managed")},
         {nullptr, "--ogg-quality", "0 to 20", value("--ogg-quality")}});
    Status parsed = parser.Parse(args, o.files);
    if (!parsed)
        UsageError(parsed.Reason());
    return parsed.Ok();
}

bool CConvertCommand::ParseValue(const std::string& option, const std::string& value)
{
    int number = 0;
    if (option == "--to")
    {
        if (value == "mp3")
            m_options.target = ConversionTarget::Mp3;
        else if (value == "ogg")
            m_options.target = ConversionTarget::Ogg;
        else if (value == "wav")
            m_options.target = ConversionTarget::Wav;
        else if (value == "mp3-to-mp3")
            m_options.target = ConversionTarget::Mp3ToMp3;
        else
            return false;
    }
    else if (option == "--jobs")
    {
        if (!ToInt(value, number) || number < 1)
            return false;
        m_options.jobs = static_cast<unsigned>(number);
    }
    else if (option == "--out")
    {
        if (value.empty())
            return false;
        m_options.out = value;
    }
    else if (option == "--filter")
    {
        const char* const names[] = {"all", "wav", "mp3", "ogg"};
        const auto found = std::find(std::begin(names), std::end(names), value);
        if (found == std::end(names))
            return false;
        m_options.filter = static_cast<int>(found - std::begin(names));
    }
    else if (option == "--bitrate")
    {
        if (!ToInt(value, number) || IndexOf(kMp3BitrateChoices, number) < 0)
            return false;
        m_options.bitRateIndex = IndexOf(kMp3BitrateChoices, number);
    }
    else if (option == "--quality")
    {
        const char* const names[] = {"normal", "low", "high"};
        const auto found = std::find(std::begin(names), std::end(names), value);
        if (found == std::end(names))
            return false;
        m_options.qualityIndex = static_cast<int>(found - std::begin(names));
    }
    else if (option == "--ogg-cbr")
    {
        if (!ToInt(value, number) || IndexOf(kOggBitrates, number) < 0)
            return false;
        m_options.oggCbrIndex = IndexOf(kOggBitrates, number);
    }
    else if (option == "--ogg-managed")
    {
        std::vector<int> indexes;
        std::size_t start = 0;
        for (std::size_t comma; start <= value.size(); start = comma + 1)
        {
            comma = value.find(',', start);
            if (comma == std::string::npos)
                comma = value.size();
            if (!ToInt(value.substr(start, comma - start), number) ||
                IndexOf(kOggBitrates, number) < 0)
                break;
            indexes.push_back(IndexOf(kOggBitrates, number));
        }
        if (indexes.size() != 3 || indexes[0] > indexes[1] || indexes[1] > indexes[2])
            return false;
        m_options.oggManaged = indexes;
    }
    else if (option == "--ogg-quality")
    {
        if (!ToInt(value, number) || number > 20)
            return false;
        m_options.oggQuality = number;
    }
    return true;
}

void CConvertCommand::Apply(ConversionSettings& settings) const
{
    const Options& o = m_options;
    if (o.out)
        settings.trackDir = *o.out;
    if (o.bitRateIndex)
        settings.mp3.bitRateIndex = *o.bitRateIndex;
    if (o.qualityIndex)
        settings.mp3.qualityIndex = *o.qualityIndex;
    if (o.vbr)
    {
        settings.mp3.vbr = *o.vbr;
        settings.mp3.cbr = !*o.vbr;
    }
    // One Ogg option picks its mode alone.
    if (o.oggCbrIndex)
    {
        settings.ogg.useCbr = 1;
        settings.ogg.useBbr = settings.ogg.useVbr = 0;
        settings.ogg.cbrIndex = *o.oggCbrIndex;
    }
    if (o.oggManaged)
    {
        settings.ogg.useBbr = 1;
        settings.ogg.useCbr = settings.ogg.useVbr = 0;
        settings.ogg.bbrMin = (*o.oggManaged)[0];
        settings.ogg.bbrNom = (*o.oggManaged)[1];
        settings.ogg.bbrMax = (*o.oggManaged)[2];
    }
    if (o.oggQuality)
    {
        settings.ogg.useVbr = 1;
        settings.ogg.useCbr = settings.ogg.useBbr = 0;
        settings.ogg.vbrPosition = *o.oggQuality;
    }
    if (o.compressedWav)
        settings.compressedWav = *o.compressedWav;
    if (o.normalize)
        settings.normalize = *o.normalize;
    if (o.convertCorrupt)
        settings.convertCorruptFiles = *o.convertCorrupt;
}

int CConvertCommand::UsageError(const std::string& message)
{
    return CliUsageError(m_context, "convert", message);
}

void CConvertCommand::PrintHelp()
{
    m_context.out
        << "Usage: " << kProgramName << " convert --to mp3|ogg|wav|mp3-to-mp3 [OPTIONS] FILE...\n"
        << "\n"
        << "Converts audio files, writing each into the output folder under its own name\n"
        << "with the new extension. Settings come from the program's settings unless an\n"
        << "option gives them. A FILE may be a folder: its MP3, WAV and Ogg files.\n"
        << "\n"
        << "  --out DIR          the output folder (default: the stored output folder)\n"
        << "  --filter all|wav|mp3|ogg\n"
        << "                     convert only the files of one kind\n"
        << "  --yes, --no        replace existing output files, or never; without either\n"
        << "                     the question is asked on a terminal, else No\n"
        << "  -r, --recursive    also take the files in the folders' subfolders\n"
        << "  -j, --jobs N       convert N files at a time (default: one per processor\n"
        << "                     core); the result lines keep the order of the files\n"
        << "MP3:\n"
        << "  --bitrate 64|96|128|160|192|256|320   --quality normal|low|high\n"
        << "  --cbr, --vbr       constant bit rate, or variable around the bit rate\n"
        << "Ogg Vorbis (kbit/s from 128, 160, 192, 256, 350):\n"
        << "  --ogg-cbr KBPS     constant bit rate\n"
        << "  --ogg-managed MIN,NOM,MAX\n"
        << "                     managed bit rate between MIN and MAX\n"
        << "  --ogg-quality 0..20\n"
        << "                     variable bit rate at a quality step\n"
        << "WAV:\n"
        << "  --pcm, --adpcm     uncompressed, or IMA ADPCM (1:4)\n"
        << "  --normalize, --no-normalize\n"
        << "                     bring the loudest sample to 95 % of full scale\n"
        << "  --convert-corrupt, --no-convert-corrupt\n"
        << "                     also convert MP3 files the check finds corrupt\n"
        << "\n"
        << "The settings file can be chosen with the environment variable\n"
        << "TUNEWRIGHT_SETTINGS (an .ini file).\n"
        << "\n"
        << "Exit status: 0 if every file was converted, 1 if any failed or was not\n"
        << "converted, 2 if the command line is wrong.\n";
}
