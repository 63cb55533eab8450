#include "tracks/TagHistory.h"

#include "audio/AudioFileFactory.h"
#include "io/Paths.h"
#include "state/CheckHistory.h"
#include "state/StateDatabase.h"
#include "tracks/TagWriter.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace
{
const char* const kNames[3] = {"TITLE", "ARTIST", "ALBUM"};

const std::string* Texts(const TrackTexts& texts, int i)
{
    const std::string* all[3] = {&texts.title, &texts.artist, &texts.album};
    return all[i];
}

// Size and modification time: what another program's change would alter.
struct Fingerprint
{
    std::int64_t size = -1;
    std::int64_t modified = -1;
};

Fingerprint FingerprintOf(const std::string& path)
{
    std::error_code error;
    const fs::path file = PathFromUtf8(path);
    const auto size = fs::file_size(file, error);
    if (error)
        return {};
    const auto time = fs::last_write_time(file, error);
    if (error)
        return {};
    return {static_cast<std::int64_t>(size),
            std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count()};
}
} // namespace

Status CTagHistory::Begin(const std::string& path, const TrackTexts& before,
                          const TrackTexts& after, std::int64_t& edit)
{
    edit = 0;
    bool changes = false;
    for (int i = 0; i < 3; ++i)
        changes = changes || *Texts(before, i) != *Texts(after, i);
    if (!changes)
        return {};
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    if (!m_database.Prepare("INSERT INTO tag_edits (path, made) VALUES (?, ?)")
             .Bind(StateKey(path))
             .Bind(now)
             .Run())
        return Status::Failure(m_database.LastError());
    const std::int64_t id = m_database.LastInsertId();
    for (int i = 0; i < 3; ++i)
    {
        if (*Texts(before, i) == *Texts(after, i))
            continue;
        if (!m_database.Prepare("INSERT INTO tag_edit_fields VALUES (?, ?, ?, ?)")
                 .Bind(id)
                 .Bind(std::string(kNames[i]))
                 .Bind(*Texts(before, i))
                 .Bind(*Texts(after, i))
                 .Run())
        {
            Status failed = Status::Failure(m_database.LastError());
            Drop(id);
            return failed;
        }
    }
    edit = id;
    return {};
}

void CTagHistory::Complete(std::int64_t edit, const std::string& path)
{
    const Fingerprint now = FingerprintOf(path);
    m_database.Prepare("UPDATE tag_edits SET done = 1, size = ?, modified = ? WHERE id = ?")
        .Bind(now.size)
        .Bind(now.modified)
        .Bind(edit)
        .Run();
}

void CTagHistory::FollowTagEdit(const std::string& path, const FileStamp& before)
{
    CCheckHistory(m_database).FollowTagEdit(path, before);
}

void CTagHistory::Drop(std::int64_t edit)
{
    m_database.Prepare("DELETE FROM tag_edits WHERE id = ?").Bind(edit).Run();
}

Status CTagHistory::Undo(const std::string& path)
{
    auto last = m_database.Prepare("SELECT id, size, modified FROM tag_edits "
                                   "WHERE path = ? AND done = 1 ORDER BY id DESC LIMIT 1");
    last.Bind(StateKey(path));
    if (!last.Step())
        return Status::Failure(last.Failed() ? m_database.LastError()
                                             : "no tag edit of this file to undo");
    const std::int64_t edit = last.Integer(0);
    const Fingerprint recorded{last.Integer(1), last.Integer(2)};
    const Fingerprint now = FingerprintOf(path);
    const char* const changed = "the file has changed since its last tag edit; nothing was undone";
    if (now.size != recorded.size || now.modified != recorded.modified)
        return Status::Failure(changed);

    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    if (!file)
        return Status::Failure("not an MP3, WAV or Ogg Vorbis file by its name");
    file->SetPath(path);
    if (Status valid = file->Validate(); !valid)
        return valid;
    // Size and time to the nanosecond tell any other change; the texts the
    // file shows may differ from those given where its tag cannot hold them.
    auto fields = m_database.Prepare("SELECT name, before FROM tag_edit_fields WHERE edit = ?");
    fields.Bind(edit);
    while (fields.Step())
    {
        const std::string name = fields.Text(0);
        if (name == kNames[0])
            file->SetTitle(fields.Text(1));
        else if (name == kNames[1])
            file->SetArtist(fields.Text(1));
        else
            file->SetAlbum(fields.Text(1));
    }
    if (fields.Failed())
        return Status::Failure(m_database.LastError());
    FileStamp before;
    const bool stamped = ReadFileStamp(path, before).Ok();
    if (Status failed = WriteTagsVerified(*file); !failed)
        return failed;
    if (stamped)
        FollowTagEdit(path, before);
    Drop(edit);
    // The file is as the edit before left it, so that one can be undone next.
    const Fingerprint undone = FingerprintOf(path);
    m_database
        .Prepare("UPDATE tag_edits SET size = ?, modified = ? WHERE id = "
                 "(SELECT MAX(id) FROM tag_edits WHERE path = ? AND done = 1)")
        .Bind(undone.size)
        .Bind(undone.modified)
        .Bind(StateKey(path))
        .Run();
    return {};
}

Status WriteTagsRecorded(CAudioFile& file, const TrackTexts& before, CTagHistory* history,
                         std::string& warning)
{
    std::int64_t edit = 0;
    if (history)
        if (Status begun = history->Begin(
                file.GetPath(), before, {file.GetTitle(), file.GetArtist(), file.GetAlbum()}, edit);
            !begun)
            warning = "the edit cannot be undone: " + begun.Reason();
    FileStamp unedited;
    const bool stamped = history && ReadFileStamp(file.GetPath(), unedited);
    Status written = WriteTagsVerified(file);
    if (written && stamped)
        history->FollowTagEdit(file.GetPath(), unedited);
    if (edit != 0 && written)
        history->Complete(edit, file.GetPath());
    else if (edit != 0)
        history->Drop(edit);
    return written;
}
