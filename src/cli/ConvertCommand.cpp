#include "cli/ConvertCommand.h"

#include "audio/ogg/OggEncoder.h"
#include "cli/CliRunHost.h"
#include "cli/FileCollector.h"
#include "conversion/Pipelines.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <span>

namespace
{
const std::vector<std::string> kAudioExtensions = {".MP3", ".WAV", ".OGG"};
const std::span<const int> kMp3BitrateChoices(kMp3Bitrates, kMp3BitratesOffered);

// The position of `value` in `table`, or -1.
int IndexOf(std::span<const int> table, int value)
{
    const auto found = std::find(table.begin(), table.end(), value);
    return found == table.end() ? -1 : static_cast<int>(found - table.begin());
}

bool ToInt(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return true;
}

// Options that take a value, given as "--name VALUE" or "--name=VALUE".
const char* const kValueOptions[] = {"--jobs",        "-j",           "--to",      "--out",
                                     "--filter",      "--bitrate",    "--quality", "--ogg-cbr",
                                     "--ogg-managed", "--ogg-quality"};

bool TakesValue(const std::string& option)
{
    return std::find(std::begin(kValueOptions), std::end(kValueOptions), option) !=
           std::end(kValueOptions);
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

    CFileCollector collector(kAudioExtensions, m_options.recursive);
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
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::string arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-')
        {
            m_options.files.push_back(arg);
            continue;
        }
        std::string value;
        const auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos)
        {
            value = arg.substr(equals + 1);
            arg.erase(equals);
            if (!TakesValue(arg))
                return Refuse("option '" + arg + "' takes no value");
            if (!ParseValue(arg, value))
                return false;
            continue;
        }
        if (TakesValue(arg))
        {
            if (i + 1 >= args.size())
                return Refuse("option '" + arg + "' needs a value");
            if (!ParseValue(arg, args[++i]))
                return false;
            continue;
        }
        if (arg == "--")
            optionsEnded = true;
        else if (arg == "-h" || arg == "--help")
            m_options.help = true;
        else if (arg == "-r" || arg == "--recursive")
            m_options.recursive = true;
        else if (arg == "--yes")
            m_options.overwrite = 1;
        else if (arg == "--no")
            m_options.overwrite = -1;
        else if (arg == "--cbr" || arg == "--vbr")
            m_options.vbr = arg == "--vbr";
        else if (arg == "--pcm" || arg == "--adpcm")
            m_options.compressedWav = arg == "--adpcm";
        else if (arg == "--normalize" || arg == "--no-normalize")
            m_options.normalize = arg == "--normalize";
        else if (arg == "--convert-corrupt" || arg == "--no-convert-corrupt")
            m_options.convertCorrupt = arg == "--convert-corrupt";
        else
            return Refuse("unknown option '" + arg + "'");
    }
    return true;
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
            return Refuse("--to takes mp3, ogg, wav or mp3-to-mp3");
    }
    else if (option == "--jobs" || option == "-j")
    {
        if (!ToInt(value, number) || number < 1)
            return Refuse("--jobs takes a number of files to convert at a time, 1 or more");
        m_options.jobs = static_cast<unsigned>(number);
    }
    else if (option == "--out")
    {
        if (value.empty())
            return Refuse("--out needs a folder");
        m_options.out = value;
    }
    else if (option == "--filter")
    {
        const char* const names[] = {"all", "wav", "mp3", "ogg"};
        const auto found = std::find(std::begin(names), std::end(names), value);
        if (found == std::end(names))
            return Refuse("--filter takes all, wav, mp3 or ogg");
        m_options.filter = static_cast<int>(found - std::begin(names));
    }
    else if (option == "--bitrate")
    {
        if (!ToInt(value, number) || IndexOf(kMp3BitrateChoices, number) < 0)
            return Refuse("--bitrate takes 64, 96, 128, 160, 192, 256 or 320");
        m_options.bitRateIndex = IndexOf(kMp3BitrateChoices, number);
    }
    else if (option == "--quality")
    {
        const char* const names[] = {"normal", "low", "high"};
        const auto found = std::find(std::begin(names), std::end(names), value);
        if (found == std::end(names))
            return Refuse("--quality takes normal, low or high");
        m_options.qualityIndex = static_cast<int>(found - std::begin(names));
    }
    else if (option == "--ogg-cbr")
    {
        if (!ToInt(value, number) || IndexOf(kOggBitrates, number) < 0)
            return Refuse("--ogg-cbr takes 128, 160, 192, 256 or 350");
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
            return Refuse("--ogg-managed takes MIN,NOM,MAX from 128, 160, 192, 256, 350, "
                          "in rising order");
        m_options.oggManaged = indexes;
    }
    else if (option == "--ogg-quality")
    {
        if (!ToInt(value, number) || number > 20)
            return Refuse("--ogg-quality takes 0 to 20");
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

bool CConvertCommand::Refuse(const std::string& message)
{
    UsageError(message);
    return false;
}

int CConvertCommand::UsageError(const std::string& message)
{
    m_context.err << kProgramName << " convert: " << message << "\n"
                  << "Try '" << kProgramName << " convert --help'.\n";
    return kExitUsage;
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
