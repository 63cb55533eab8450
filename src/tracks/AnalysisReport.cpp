#include "tracks/AnalysisReport.h"

#include "io/DiskFile.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"
#include "tracks/IRunHost.h"
#include "tracks/Strings.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
constexpr const char* kLineEnd = "\r\n";

void AppendLine(std::string& report, const std::string& label, const std::string& value)
{
    report += label + ": " + value + kLineEnd;
}

bool WriteWhole(const fs::path& target, const std::string& content, std::string& error)
{
    CTemporaryFile temporary;
    if (!temporary.Create(Utf8FromPath(target), error))
        return false;
    CDiskFile file;
    if (!file.Open(temporary.Path(), CDiskFile::Mode::Create) ||
        !file.Write(content.data(), content.size()))
    {
        error = file.ErrorText();
        return false;
    }
    file.Close();
    return temporary.Commit(error);
}
} // namespace

std::string RenderAnalysisReport(const TrackRefs& tracks)
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
        report += kLineEnd;
    }
    return report;
}

bool SaveAnalysisResults(const std::string& path, const TrackRefs& tracks, IRunHost& host)
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
    std::string error;
    if (!WriteWhole(target, RenderAnalysisReport(tracks), error))
    {
        host.ShowMessage("Cannot write " + path + ": " + error, MessageIcon::Error);
        return false;
    }
    return true;
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
    std::string reason;
    if (!temporary.CreateCopy(Utf8FromPath(target), Utf8FromPath(source), reason) ||
        !temporary.Commit(reason))
        return reason;
    fs::remove(source, error);
    return error ? error.message() : std::string();
}

enum class MoveOutcome
{
    Moved,
    Kept,
};

MoveOutcome MoveOne(const std::string& path, const fs::path& folder, IRunHost& host)
{
    const fs::path source = PathFromUtf8(path);
    const fs::path target = folder / source.filename();
    std::error_code error;
    if (fs::exists(target, error))
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
    return MoveOutcome::Moved;
}
} // namespace

void MoveCorruptFiles(CTunewright20Doc& document, const std::string& folder, IRunHost& host)
{
    const fs::path destination = PathFromUtf8(folder);
    const TrackRefs tracks = document.GetTracks();
    std::vector<std::size_t> moved;
    for (std::size_t position = 0; position < tracks.size(); ++position)
    {
        if (tracks[position]->checkStatus != kCheckCorrupt)
            continue;
        if (MoveOne(tracks[position]->path, destination, host) == MoveOutcome::Moved)
            moved.push_back(position);
    }
    document.RemoveTracks(moved);
}
