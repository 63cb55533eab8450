#include "cli/InfoCommand.h"

#include "audio/AudioFileFactory.h"
#include "cli/OptionParser.h"
#include "io/Printable.h"
#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"

#include <memory>
#include <ostream>

int CInfoCommand::Run(const std::vector<std::string>& args)
{
    bool help = false;
    std::vector<std::string> paths;
    COptionParser parser("info", {{"-h", "--help", nullptr, SetFlag(help)}});
    if (Status parsed = parser.Parse(args, paths); !parsed)
        return CliUsageError(m_context, "info", parsed.Reason());
    if (help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (paths.empty())
        return CliUsageError(m_context, "info", "no file given");
    bool allRead = true;
    for (const std::string& path : paths)
    {
        allRead = PrintFile(path) && allRead;
        if (Interrupted())
        {
            m_context.err << kProgramName << ": interrupted\n";
            return kExitFailure;
        }
    }
    return allRead ? kExitOk : kExitFailure;
}

bool CInfoCommand::Interrupted() const
{
    return m_context.interrupted && m_context.interrupted();
}

bool CInfoCommand::PrintFile(const std::string& path)
{
    // Opened here rather than through a track, so that the scan of a long
    // MP3 for its exact length ends when the user asks to stop.
    const std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    Status decoding = Status::Failure("not an MP3, WAV or Ogg Vorbis file by its name");
    if (file)
    {
        file->SetInterrupt([this] { return Interrupted(); });
        file->SetPath(path);
        decoding = file->BeginDecoding();
        file->EndDecoding();
    }
    if (Interrupted())
        return false;
    if (!file || file->GetLength() == 0)
    {
        const std::string reason = decoding ? "it holds no audio" : decoding.Reason();
        m_context.err << kProgramName << ": " << Printable(path) << ": " << reason << "\n";
        return false;
    }
    TrackInfo info;
    info.SetLength(file->GetLength());
    if (m_printed++ > 0)
        m_context.out << '\n';
    m_context.out << Printable(path) << '\n'
                  << "Title: " << Printable(file->GetTitle()) << '\n'
                  << "Artist: " << Printable(file->GetArtist()) << '\n'
                  << "Album: " << Printable(file->GetAlbum()) << '\n'
                  << "Length: " << info.lengthText << '\n'
                  << "Format: " << strings::FormatName(file->GetFormat()) << '\n'
                  << "Sampling Rate: " << file->GetSampleRate() << " Hz\n"
                  << "Channels: " << file->GetFileChannels() << '\n'
                  << "Bits: " << file->GetBitsPerSample() << '\n';
    return true;
}

void CInfoCommand::PrintHelp()
{
    m_context.out << "Usage: " << kProgramName << " info FILE...\n"
                  << "\n"
                  << "Prints the path, title, artist, album, length, format, sampling rate,\n"
                  << "channels and bits of each MP3, WAV or Ogg Vorbis file.\n"
                  << "\n"
                  << "Exit status: 0 if every file could be read, 1 if any could not,\n"
                  << "2 if the command line is wrong.\n";
}
