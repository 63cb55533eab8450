#include "tracks/AnalysisReport.h"

#include "io/DiskFile.h"
#include "io/Paths.h"
#include "io/Printable.h"
#include "io/TemporaryFile.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
constexpr const char* kLineEnd = "\r\n";

void AppendLine(std::string& report, const std::string& label, const std::string& value)
{
    report += label + ": " + Printable(value) + kLineEnd;
}

// Replacing a file by renaming over it ignores its own permissions, so a
// report the user protected would be lost without this test. Root passes
// every access test; a file without any write bit counts as read-only too.
bool IsReadOnly(const fs::path& file)
{
    std::error_code error;
    const fs::perms perms = fs::status(file, error).permissions();
    if (error)
        return false;
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((perms & kWrite) == fs::perms::none)
        return true;
#ifndef _WIN32
    return access(file.c_str(), W_OK) != 0 && errno == EACCES;
#else
    return false;
#endif
}

Status WriteWhole(const fs::path& target, const std::string& content)
{
    CTemporaryFile temporary;
    if (Status failed = temporary.Create(Utf8FromPath(target)); !failed)
        return failed;
    CDiskFile file;
    if (!file.Open(temporary.Path(), CDiskFile::Mode::Create) ||
        !file.Write(content.data(), content.size()))
        return Status::Failure(file.ErrorText());
    file.Close();
    return temporary.Commit();
}
} // namespace

std::string RenderAnalysisReport(const TrackRefs& tracks, bool details)
{
    const std::vector<std::string> labels = strings::ColumnNames();
    std::string report = std::string(strings::kAnalysisResults) + ":" + kLineEnd + kLineEnd;
    for (const TrackInfo* track : tracks)
    {
        AppendLine(report, labels[0], track->path);
        std::string check = strings::CheckStatusText(track->checkStatus);
        if (track->checkStatus == kCheckCorrupt && !track->checkNote.empty())
            check += " (" + track->checkNote + ")";
        AppendLine(report, labels[1], check);
        AppendLine(report, labels[2], strings::ConvertStatusText(track->convertStatus));
        AppendLine(report, labels[3], track->title);
        AppendLine(report, labels[4], track->artist);
        AppendLine(report, labels[5], track->album);
        AppendLine(report, labels[6], track->lengthText);
        if (details)
            for (const std::string& line : track->checkDetails)
                report += "    " + Printable(line) + kLineEnd;
        report += kLineEnd;
    }
    return report;
}

Status TryReportTarget(const std::string& path, std::string& target)
{
    target = FollowLinks(path);
    const fs::path file = PathFromUtf8(target);
    std::error_code failure;
    const fs::file_status status = fs::status(file, failure);
    if (fs::is_directory(status))
        return Status::Failure("it is a folder");
    if (fs::exists(status) && IsReadOnly(file))
        return Status::Failure("the file is read-only; it was left as it is");
    CTemporaryFile probe;
    return probe.Create(target);
}

bool SaveAnalysisResults(const std::string& path, const TrackRefs& tracks, IRunHost& host,
                         bool details)
{
    const fs::path target = PathFromUtf8(path);
    if (UpperCaseExtension(target) != ".TXT")
    {
        host.ShowMessage("The analysis results are saved only as a plain text file whose name "
                         "ends in .txt; nothing was written to " +
                             path + ".",
                         MessageIcon::Exclamation);
        return false;
    }
    std::string file;
    Status written = TryReportTarget(path, file);
    if (written)
        written = WriteWhole(PathFromUtf8(file), RenderAnalysisReport(tracks, details));
    if (!written)
        host.ShowMessage("Cannot write " + path + ": " + written.Reason(), MessageIcon::Error);
    return written.Ok();
}

namespace
{
// Moves `source` to `target`, replacing it. Across file systems the data is
// copied beside the target first and renamed into place, so that a failed
// copy never leaves a partial file under the target's name, and the source
// is removed only once the copy is complete.
// Returns why the move failed, or nothing.
std::string MoveFile(const fs::path& source, const fs::path& target)
{
    std::error_code error;
    fs::rename(source, target, error);
    if (error != std::errc::cross_device_link)
        return error ? error.message() : std::string();
    CTemporaryFile temporary;
    if (Status copied = temporary.CreateCopy(Utf8FromPath(target), Utf8FromPath(source)); !copied)
        return copied.Reason();
    // A move is no edit: the file keeps the time it was last changed.
    const fs::file_time_type modified = fs::last_write_time(source, error);
    if (!error)
        fs::last_write_time(PathFromUtf8(temporary.Path()), modified, error);
    if (error)
        return "cannot keep the modification time: " + error.message();
    if (Status committed = temporary.Commit(); !committed)
        return committed.Reason();
    fs::remove(source, error);
    return error ? error.message() : std::string();
}

enum class MoveOutcome
{
    Moved,
    Kept,
};

// "name (2).mp3", "name (3).mp3", ...: the first such name that nothing in
// the folder has, links included; empty when all are taken.
fs::path FreeName(const fs::path& taken)
{
    const std::string stem = Utf8FromPath(taken.stem());
    const std::string extension = Utf8FromPath(taken.extension());
    for (int number = 2; number < 10000; ++number)
    {
        const fs::path candidate =
            taken.parent_path() /
            PathFromUtf8(stem + " (" + std::to_string(number) + ")" + extension);
        std::error_code error;
        if (fs::symlink_status(candidate, error).type() == fs::file_type::not_found)
            return candidate;
    }
    return {};
}

MoveOutcome MoveOne(const std::string& path, const fs::path& folder, std::set<fs::path>& movedHere,
                    IRunHost& host)
{
    const fs::path source = PathFromUtf8(path);
    fs::path target = folder / source.filename();
    std::error_code error;
    if (movedHere.count(target) > 0)
    {
        // Two corrupt files of one name: the second must not replace the
        // first, which this same move has just put there.
        target = FreeName(target);
        if (target.empty())
        {
            host.ShowMessage("Cannot move " + path + ": no free name for it in that folder.",
                             MessageIcon::Information);
            return MoveOutcome::Kept;
        }
    }
    else if (fs::exists(target, error))
    {
        if (fs::equivalent(source, target, error))
        {
            host.ShowMessage(path + " is already in that folder; it stays where it is.",
                             MessageIcon::Information);
            return MoveOutcome::Kept;
        }
        if (host.Ask(strings::Fill(strings::kOverwriteQuestion, Utf8FromPath(target))) !=
            HostAnswer::Yes)
            return MoveOutcome::Kept;
    }
    const std::string failure = MoveFile(source, target);
    if (!failure.empty())
    {
        host.ShowMessage("Cannot move " + path + ": " + failure, MessageIcon::Information);
        return MoveOutcome::Kept;
    }
    if (target.filename() != source.filename())
        host.ShowMessage(path + " was moved as " + Utf8FromPath(target) +
                             ", since a file of its name was moved there just before.",
                         MessageIcon::Information);
    movedHere.insert(target);
    return MoveOutcome::Moved;
}
} // namespace

void MoveCorruptFiles(CTunewright20Doc& document, const std::string& folder, IRunHost& host)
{
    const fs::path destination = PathFromUtf8(folder);
    const TrackRefs tracks = document.GetTracks();
    std::vector<std::size_t> moved;
    std::set<fs::path> movedHere;
    for (std::size_t position = 0; position < tracks.size(); ++position)
    {
        if (tracks[position]->checkStatus != kCheckCorrupt)
            continue;
        if (MoveOne(tracks[position]->path, destination, movedHere, host) == MoveOutcome::Moved)
            moved.push_back(position);
    }
    document.RemoveTracks(moved);
}
