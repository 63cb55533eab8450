#include "cli/TagsCommand.h"

#include "audio/AudioFileFactory.h"
#include "cli/OptionParser.h"
#include "io/Printable.h"
#include "state/StateDatabase.h"
#include "tracks/TagHistory.h"

#include <ostream>

CTagsCommand::CTagsCommand(CliContext& context) : m_context(context) {}
CTagsCommand::~CTagsCommand() = default;

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
    if (m_undo && (m_title || m_artist || m_album))
        return UsageError("--undo sets no texts of its own");
    bool allDone = true;
    for (const std::string& path : m_files)
        allDone = (m_undo ? UndoFile(path) : TagFile(path)) && allDone;
    return allDone ? kExitOk : kExitFailure;
}

bool CTagsCommand::Parse(const std::vector<std::string>& args)
{
    const auto text = [](std::optional<std::string>& field)
    {
        return [&field](const std::string& value)
        {
            field = value;
            return true;
        };
    };
    COptionParser parser("tags", {{"-h", "--help", nullptr, SetFlag(m_help)},
                                  {nullptr, "--undo", nullptr, SetFlag(m_undo)},
                                  {nullptr, "--title", "a text", text(m_title)},
                                  {nullptr, "--artist", "a text", text(m_artist)},
                                  {nullptr, "--album", "a text", text(m_album)}});
    Status parsed = parser.Parse(args, m_files);
    if (!parsed)
        UsageError(parsed.Reason());
    return parsed.Ok();
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
    if (Status valid = file->Validate(); !valid)
        return fail(valid.Reason());
    if (m_title || m_artist || m_album)
    {
        const TrackTexts before{file->GetTitle(), file->GetArtist(), file->GetAlbum()};
        if (m_title)
            file->SetTitle(*m_title);
        if (m_artist)
            file->SetArtist(*m_artist);
        if (m_album)
            file->SetAlbum(*m_album);
        std::string warning;
        const Status written = WriteTagsRecorded(*file, before, History(), warning);
        if (!warning.empty())
            m_context.err << kProgramName << ": " << Printable(path) << ": " << warning << "\n";
        if (!written)
            return fail(written.Reason());
    }
    file->EndDecoding();
    return Show(path);
}

bool CTagsCommand::UndoFile(const std::string& path)
{
    CTagHistory* history = History();
    const Status undone = history ? history->Undo(path)
                                  : Status::Failure("the history of tag edits cannot be opened");
    if (!undone)
    {
        m_context.err << kProgramName << ": " << Printable(path) << ": " << undone.Reason() << "\n";
        return false;
    }
    return Show(path);
}

// Prints what the file holds now, as any reader will see it.
bool CTagsCommand::Show(const std::string& path)
{
    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    file->SetPath(path);
    if (Status valid = file->Validate(); !valid)
    {
        m_context.err << kProgramName << ": " << Printable(path) << ": " << valid.Reason() << "\n";
        return false;
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

CTagHistory* CTagsCommand::History()
{
    if (!m_historyTried)
    {
        m_historyTried = true;
        if (Status opened = CStateDatabase::Open(CStateDatabase::DefaultPath(), m_database))
            m_history = std::make_unique<CTagHistory>(*m_database);
        else
            m_context.err << kProgramName << ": " << opened.Reason() << "\n";
    }
    return m_history.get();
}

int CTagsCommand::UsageError(const std::string& message)
{
    return CliUsageError(m_context, "tags", message);
}

void CTagsCommand::PrintHelp()
{
    m_context.out << "Usage: " << kProgramName
                  << " tags [--title T] [--artist A] [--album B] FILE...\n"
                  << "       " << kProgramName << " tags --undo FILE...\n"
                  << "\n"
                  << "Without options, prints the title, artist and album of each file. With\n"
                  << "options, sets the given texts (the others keep theirs), writes them into\n"
                  << "the file's own tags and prints what the file then holds. An empty text\n"
                  << "clears the field. MP3 files get an ID3v1 tag (and their ID3v2 tag, if\n"
                  << "they have one, is updated); WAV files tag chunks; Ogg Vorbis files\n"
                  << "comments.\n"
                  << "\n"
                  << "Every edit is first recorded with the texts it replaces (in\n"
                  << "$XDG_STATE_HOME/tunewright/state.db). --undo puts the last edit of each\n"
                  << "file back, unless the file has changed since in some other way.\n"
                  << "\n"
                  << "Exit status: 0 if every file was done, 1 if any failed, 2 if the command\n"
                  << "line is wrong.\n";
}
