#pragma once

#include <cstdint>
#include <string>

// What a repair changes, or would change, in one file.
struct RepairChanges
{
    enum class Header
    {
        Kept,      // the information frame was right already
        Added,     // there was none
        Rewritten, // there was one and it said something else
    };

    std::size_t junkStretches = 0;
    std::uint64_t bytesDropped = 0; // junk, cut-short frames, dropped frames
    std::uint64_t framesLost = 0;   // frames seen but not kept
    std::uint64_t millisecondsLost = 0;
    Header header = Header::Kept;
    bool variableBitrate = false;
};

enum class RepairOutcome
{
    Repaired,      // the file was replaced; the original is in the backup folder
    Planned,       // a dry run: `changes` is what a repair would do
    AlreadySound,  // the walk finds nothing wrong: left alone
    NotRepairable, // no audio to keep: left alone
    Failed,        // a step went wrong: the original is as it was
};

struct RepairResult
{
    RepairOutcome outcome = RepairOutcome::Failed;
    RepairChanges changes;
    std::string reason;     // NotRepairable and Failed: why
    std::string backupPath; // Repaired: where the original went
    std::string logWarning; // the repair log could not be written, and why
};

struct RepairOptions
{
    bool dryRun = false;
    std::string backupFolder; // empty: DefaultBackupFolder of the file
};

// Rebuilds the MP3 file at `path` (a link leads to its file) from what is
// there: the leading ID3v2 tags, the chains of frames of its stream with
// the junk between them gone, an information frame made true, and the APE
// and ID3v1 tags. No audio frame is changed. The new file is written beside
// the original, must be sound by the check and decodable, and then replaces
// it in one step, after the original was copied into the backup folder.
// Each outcome but a dry run's is appended to the repair log there.
RepairResult RepairMP3File(const std::string& path, const RepairOptions& options);

// "repaired: 2 stretches of junk removed (1,412 bytes), VBR header
// rewritten, 0:00.05 of audio lost", "already sound", "not repairable: ...".
std::string DescribeRepair(const RepairResult& result);
