#include "repair/MP3Repair.h"

#include "audio/mpeg/MpegDecoder.h"
#include "check/MP3Check.h"
#include "check/MP3InformationFrame.h"
#include "check/MP3StreamStart.h"
#include "io/DiskFile.h"
#include "io/InputFile.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"
#include "repair/FileWindow.h"
#include "repair/InformationFrameWriter.h"
#include "repair/MP3Layout.h"
#include "repair/RepairBackup.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr std::size_t kCopyPiece = CFileWindow::kWindowSize / 4;
constexpr const char* kKeptOriginal = "it is an original kept in a backup folder";

struct RepairPlan
{
    MP3Layout layout;
    std::vector<std::uint8_t> informationFrame;
    RepairChanges changes;
};

RepairResult Outcome(RepairOutcome outcome, const std::string& reason = {})
{
    RepairResult result;
    result.outcome = outcome;
    result.reason = reason;
    return result;
}

std::int32_t FrameLengthAt(std::uint32_t headerWord, std::uint32_t bitrateIndex)
{
    MP3FrameInfo frame;
    CMP3Check::DecodeHeader((headerWord & ~0xF200u) | bitrateIndex << 12, frame);
    return frame.valid ? frame.frameLength : 0;
}

// The frames the original information frame counted that are gone, when its
// counts fit what is left: the bytes missing must make frames of lengths
// the stream's format allows, and no more than half may be gone. A frame
// whose header was destroyed leaves no other trace.
std::uint64_t FramesMissingByCount(const MP3Layout& layout)
{
    if (layout.informationBytes.size() < 4 || layout.chains.empty())
        return 0;
    MP3StreamStart start;
    start.found = true;
    CMP3Check::DecodeHeader(static_cast<std::uint32_t>(layout.informationBytes[0]) << 24 |
                                static_cast<std::uint32_t>(layout.informationBytes[1]) << 16 |
                                static_cast<std::uint32_t>(layout.informationBytes[2]) << 8 |
                                layout.informationBytes[3],
                            start.frame);
    start.firstFrame = layout.informationBytes;
    const MP3InformationFrame info = ReadInformationFrame(start);
    const std::uint64_t frames = layout.AudioFrames();
    const std::uint64_t bytes = layout.AudioBytes() + layout.informationBytes.size();
    if (!info.hasFrames || !info.hasBytes || info.frames <= frames || info.bytes <= bytes)
        return 0;
    const std::uint64_t missing = info.frames - frames;
    const std::uint64_t average = (info.bytes - bytes) / missing;
    const std::uint32_t word = layout.streamHeader.headerWord;
    const auto shortest = static_cast<std::uint64_t>(FrameLengthAt(word, 1));
    const auto longest = static_cast<std::uint64_t>(FrameLengthAt(word, 14)) + 1;
    if (missing > frames || average < shortest || average > longest)
        return 0;
    return missing;
}

RepairChanges ChangesOf(const RepairPlan& plan)
{
    const MP3Layout& layout = plan.layout;
    RepairChanges changes;
    for (const ByteSpan& junk : layout.Junk())
    {
        ++changes.junkStretches;
        changes.bytesDropped += junk.Length();
    }
    changes.framesLost = std::max(layout.droppedFrames, FramesMissingByCount(layout));
    if (layout.streamHeader.sampleRate > 0)
        changes.millisecondsLost = changes.framesLost * layout.SamplesPerFrame() * 1000 /
                                   static_cast<std::uint64_t>(layout.streamHeader.sampleRate);
    if (plan.informationFrame.empty() || plan.informationFrame == layout.informationBytes)
        changes.header = RepairChanges::Header::Kept;
    else if (layout.informationBytes.empty())
        changes.header = RepairChanges::Header::Added;
    else
        changes.header = RepairChanges::Header::Rewritten;
    changes.variableBitrate = layout.IsVariableBitrate();
    return changes;
}

Status MakePlan(CFileWindow& file, std::uint64_t tagsEnd, RepairPlan& plan)
{
    if (Status failed = FindMP3Layout(file, tagsEnd, plan.layout); !failed)
        return failed;
    if (plan.layout.chains.empty())
        return {};
    CInformationFrameWriter writer(plan.layout);
    if (!writer.Build(file, plan.informationFrame))
        return Status::Failure("the file changed while it was read");
    plan.changes = ChangesOf(plan);
    return {};
}

Status CopySpan(CFileWindow& file, const ByteSpan& span, CDiskFile& out)
{
    for (std::uint64_t at = span.start; at < span.end;)
    {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, span.end - at));
        const std::uint8_t* bytes = file.At(at, count);
        if (!bytes)
            return Status::Failure("cannot read the file again: " + file.ErrorText());
        if (!out.Write(bytes, count))
            return Status::Failure("cannot write the repaired file: " + out.ErrorText());
        at += count;
    }
    return {};
}

Status WriteRepaired(CFileWindow& file, const RepairPlan& plan, const std::string& path)
{
    CDiskFile out;
    if (!out.Open(path, CDiskFile::Mode::Create))
        return Status::Failure("cannot write the repaired file: " + out.ErrorText());
    if (Status failed = CopySpan(file, plan.layout.leadingTags, out); !failed)
        return failed;
    if (!plan.informationFrame.empty() &&
        !out.Write(plan.informationFrame.data(), plan.informationFrame.size()))
        return Status::Failure("cannot write the repaired file: " + out.ErrorText());
    for (const FrameChain& chain : plan.layout.chains)
    {
        if (Status failed = CopySpan(file, chain.span, out); !failed)
            return failed;
    }
    if (Status failed = CopySpan(file, plan.layout.trailingTags, out); !failed)
        return failed;
    if (!out.Sync())
        return Status::Failure("cannot write the repaired file: " + out.ErrorText());
    return {};
}

// The repaired file must pass the same walk and decode from start to end.
Status VerifyRepaired(const std::string& path)
{
    CMP3Check check;
    if (!check.CheckFile(path, nullptr))
    {
        const std::string note = VerdictNote(check.GetResult());
        return Status::Failure("the repaired file is still not sound" +
                               (note.empty() ? "" : ": " + note));
    }
    CMpegDecoder decoder;
    if (Status opened = decoder.Open(path); !opened)
        return Status::Failure("the repaired file cannot be decoded: " + opened.Reason());
    std::vector<std::uint8_t> block(16384);
    std::int64_t decoded = 0;
    for (std::int64_t got; (got = decoder.DecodeBlock(block.data(), block.size())) > 0;)
        decoded += got;
    if (decoded == 0)
        return Status::Failure("the repaired file decodes to no sound");
    return {};
}

struct FileStamp
{
    std::uintmax_t size = 0;
    fs::file_time_type modified;

    bool operator==(const FileStamp&) const = default;
};

bool StampOf(const std::string& path, FileStamp& stamp)
{
    std::error_code error;
    stamp.size = fs::file_size(PathFromUtf8(path), error);
    if (!error)
        stamp.modified = fs::last_write_time(PathFromUtf8(path), error);
    return !error;
}

// Writes, checks and puts in place the repaired file, the original going to
// `backupFolder`. Any failure leaves the original as it was.
Status ReplaceWithRepaired(const std::string& target, CFileWindow& file, const RepairPlan& plan,
                           const std::string& backupFolder, std::string& backupPath)
{
    FileStamp before;
    if (!StampOf(target, before))
        return Status::Failure("cannot look at the file");
    CTemporaryFile repaired;
    if (Status failed = repaired.Create(target); !failed)
        return failed;
    if (Status failed = WriteRepaired(file, plan, repaired.Path()); !failed)
        return failed;
    std::error_code failure;
    fs::permissions(PathFromUtf8(repaired.Path()), fs::status(PathFromUtf8(target)).permissions(),
                    failure);
    if (failure)
        return Status::Failure("cannot give the repaired file the original's permissions: " +
                               failure.message());
    if (Status failed = VerifyRepaired(repaired.Path()); !failed)
        return failed;
    if (Status failed = BackUpOriginal(target, backupFolder, backupPath); !failed)
        return failed;
    FileStamp after;
    Status committed = Status::Failure("the file changed while it was repaired");
    if (StampOf(target, after) && after == before)
        committed = repaired.Commit();
    if (committed)
        return {};
    fs::remove(PathFromUtf8(backupPath), failure);
    backupPath.clear();
    return committed;
}

std::string WithThousands(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

std::string Duration(std::uint64_t milliseconds)
{
    const std::uint64_t centis = (milliseconds + 5) / 10;
    const std::uint64_t seconds = centis / 100;
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%02llu.%02llu",
                  static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(centis % 100));
    return text;
}

std::string DescribeChanges(const RepairChanges& changes)
{
    std::string text;
    if (changes.junkStretches > 0)
        text += std::to_string(changes.junkStretches) +
                (changes.junkStretches == 1 ? " stretch" : " stretches") + " of junk removed (" +
                WithThousands(changes.bytesDropped) +
                (changes.bytesDropped == 1 ? " byte), " : " bytes), ");
    const char* header = changes.variableBitrate ? "VBR header" : "Info frame";
    if (changes.header == RepairChanges::Header::Added)
        text += std::string(header) + " added, ";
    else if (changes.header == RepairChanges::Header::Rewritten)
        text += std::string(header) + " rewritten, ";
    return text + Duration(changes.millisecondsLost) + " of audio lost";
}
} // namespace

// Whether `file` lies in `backupFolder` or in any folder named as backup
// folders are: the originals kept there must stay as they were.
bool IsKeptOriginal(const std::string& file, const std::string& backupFolder)
{
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(PathFromUtf8(file), error).parent_path();
    if (error)
        return false;
    const fs::path backup = fs::weakly_canonical(PathFromUtf8(backupFolder), error);
    return folder.filename() == kBackupFolderName || (!error && folder == backup);
}

RepairResult RepairMP3File(const std::string& path, const RepairOptions& options)
{
    const std::string target = FollowLinks(path);
    const std::string folder =
        options.backupFolder.empty() ? DefaultBackupFolder(target) : options.backupFolder;
    if (IsKeptOriginal(target, folder))
        return Outcome(RepairOutcome::NotRepairable, kKeptOriginal);
    {
        CMP3Check check;
        const bool sound = check.CheckFile(target, nullptr);
        if (!check.GetResult().readable)
            return Outcome(RepairOutcome::Failed, check.GetResult().failure);
        if (sound)
            return Outcome(RepairOutcome::AlreadySound);
    }
    MP3StreamStart start;
    CInputFile input;
    Status read = input.Open(target);
    if (read)
        read = FindMP3StreamStart(input, start);
    if (!read)
        return Outcome(RepairOutcome::Failed, read.Reason());
    input.Close();

    CFileWindow file;
    RepairPlan plan;
    Status planned = file.Open(target);
    if (planned)
        planned = MakePlan(file, start.tagsEnd, plan);
    if (!planned)
        return Outcome(RepairOutcome::Failed, planned.Reason());
    if (plan.layout.chains.empty())
        return Outcome(RepairOutcome::NotRepairable, kNoAudioFound);

    RepairResult result = Outcome(RepairOutcome::Planned);
    result.changes = plan.changes;
    if (options.dryRun)
        return result;

    if (Status replaced = ReplaceWithRepaired(target, file, plan, folder, result.backupPath))
        result.outcome = RepairOutcome::Repaired;
    else
        result = Outcome(RepairOutcome::Failed, replaced.Reason());
    if (!AppendRepairLog(folder, target, DescribeRepair(result)))
        result.logWarning = "cannot write the repair log in " + folder;
    return result;
}

std::string DescribeRepair(const RepairResult& result)
{
    switch (result.outcome)
    {
    case RepairOutcome::Repaired:
        return "repaired: " + DescribeChanges(result.changes);
    case RepairOutcome::Planned:
        return "would repair: " + DescribeChanges(result.changes);
    case RepairOutcome::AlreadySound:
        return "already sound";
    case RepairOutcome::NotRepairable:
        return "not repairable: " + result.reason;
    case RepairOutcome::Failed:
        break;
    }
    return "not repaired, the file is unchanged: " + result.reason;
}
