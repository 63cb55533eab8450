#include "cli/TagsCommand.h"

#include "audio/AudioFileFactory.h"
#include "cli/Printable.h"
#include "tracks/TagWriter.h"

#include <ostream>

int CTagsCommand::Run(const std::vector<std::string>& args)
{
    if (!Parse(args))
        return kExitUsage;
    if (m_help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (m_files.empty())
        return UsageError("no file given");
    bool allDone = true;
    for (const std::string& path : m_files)
        allDone = TagFile(path) && allDone;
    return allDone ? kExitOk : kExitFailure;
}

bool CTagsCommand::Parse(const std::vector<std::string>& args)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        std::optional<std::string>* field = arg == "--title"    ? &m_title
                                            : arg == "--artist" ? &m_artist
                                            : arg == "--album"  ? &m_album
                                                                : nullptr;
        if (optionsEnded || arg.empty() || arg[0] != '-')
            m_files.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "-h" || arg == "--help")
            m_help = true;
        else if (field && i + 1 < args.size())
            *field = args[++i];
        else
        {
            UsageError(field ? "option '" + arg + "' needs a value"
                             : "unknown option '" + arg + "'");
            return false;
        }
    }
    return true;
}

bool CTagsCommand::TagFile(const std::string& path)
{
    auto fail = [&](const std::string& reason)
    {
        m_context.err << kProgramName << ": " << Printable(path) << ": " << reason << "\n";
        return false;
    };
    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    if (!file)
        return fail("not an MP3, WAV or Ogg Vorbis file by its name");
    file->SetPath(path);
    if (!file->IsValid())
        return fail(file->GetError());
    if (m_title || m_artist || m_album)
    {
        if (m_title)
            file->SetTitle(*m_title);
        if (m_artist)
            file->SetArtist(*m_artist);
        if (m_album)
            file->SetAlbum(*m_album);
        std::string error;
        if (!WriteTagsVerified(*file, error))
            return fail(error);
        file->EndDecoding();
        // What the file holds now, as any reader will see it.
        file->SetPath(path);
        if (!file->IsValid())
            return fail(file->GetError());
    }
    file->EndDecoding();
    if (m_printed++ > 0)
        m_context.out << '\n';
    m_context.out << Printable(path) << '\n'
                  << "Title: " << Printable(file->GetTitle()) << '\n'
                  << "Artist: " << Printable(file->GetArtist()) << '\n'
                  << "Album: " << Printable(file->GetAlbum()) << '\n';
    return true;
}

int CTagsCommand::UsageError(const std::string& message)
{
    m_context.err << kProgramName << " tags: " << message << "\n"
                  << "Try '" << kProgramName << " tags --help'.\n";
    return kExitUsage;
}

void CTagsCommand::PrintHelp()
{
    m_context.out << "Usage: " << kProgramName
                  << " tags [--title T] [--artist A] [--album B] FILE...\n"
                  << "\n"
                  << "Without options, prints the title, artist and album of each file. With\n"
                  << "options, sets the given texts (the others keep theirs), writes them into\n"
                  << "the file's own tags and prints what the file then holds. An empty text\n"
                  << "clears the field. MP3 files get an ID3v1 tag (and their ID3v2 tag, if\n"
                  << "they have one, is updated); WAV files tag chunks; Ogg Vorbis files\n"
                  << "comments.\n"
                  << "\n"
                  << "Exit status: 0 if every file was done, 1 if any failed, 2 if the command\n"
                  << "line is wrong.\n";
}
