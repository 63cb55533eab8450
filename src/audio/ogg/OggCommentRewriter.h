#pragma once

#include "io/Status.h"

// Replaces the comment header of the first Vorbis stream of an Ogg file
// without re-encoding: the headers are read, a copy is written with a new
// comment packet and the audio packets re-paged, and the copy then takes the
// place of the original. Everything after the first stream is copied as it is.

#include "audio/ogg/OggHandles.h"
#include "io/DiskFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Reads up to `count` bytes: the number read, 0 at the end, -1 on an error.
using OggReadFunction = std::function<std::int64_t(std::uint8_t* dest, std::size_t count)>;
// Writes all `count` bytes; false when they did not all go out.
using OggWriteFunction = std::function<bool(const std::uint8_t* data, std::size_t count)>;

enum class TagWriteMode
{
    List = 1,
    Write = 2,
    Append = 3,
};

// One rewrite request: the file, its temporary copy and the open files.
struct TagWriteJob
{
    TagWriteMode mode = TagWriteMode::List;
    std::string inputName;
    std::string outputName;
    // "-" stands for the standard stream, which the rewriter never touches.
    std::string commentFileName = "-";
    CDiskFile input;
    CDiskFile output;
    CDiskFile commentFile;
    // The output is a temporary copy that replaces the input at the end.
    bool tempOutput = false;
    bool raw = false;
    // Why OpenFiles or CloseFiles failed.
    std::string error;
};

// The parsing and copying state of one rewrite. Starts empty; the library
// records are made by OpenStream and released by ClearState.
struct CommentEditState
{
    std::unique_ptr<COggSync> sync;
    std::unique_ptr<COggStream> stream;
    std::unique_ptr<CVorbisComment> comment;
    std::unique_ptr<CVorbisInfo> info;
    OggReadFunction read;
    OggWriteFunction write;
    int serial = 0;
    std::vector<std::uint8_t> mainHeader; // identification header packet
    std::vector<std::uint8_t> bookHeader; // setup (codebook) header packet
    std::string lastError;
    std::string vendor;
    // The comments as stored, "NAME=value", byte for byte; what is written.
    std::vector<std::string> comments;
    long previousBlockSize = 0;
    // A page of another logical stream ended the first one; kept to be
    // written after it.
    bool extraPage = false;
    std::vector<std::uint8_t> otherPage;
    bool eosIn = false;
    // Reading failed, or the input broke a limit: the copy cannot be whole.
    bool inputBroken = false;
};

// Opens the input and creates the temporary output (with the input's
// permissions). On failure sets job.error and leaves no output behind.
bool OpenFiles(TagWriteJob& job);
// Closes the files and, for a temporary output, puts it in the input's
// place. On failure sets job.error.
bool CloseFiles(TagWriteJob& job);
// Closes the files and removes the temporary output: the input stays as it was.
void DiscardFiles(TagWriteJob& job);

// Reads the three headers of the first logical stream. 0 on success, -1
// with GetLastError set otherwise.
int OpenStream(CommentEditState& state, OggReadFunction read);
// The file's comments after OpenStream; the caller changes them before
// WriteStream. The vendor string written is always the file's own.
std::vector<std::string>& GetComments(CommentEditState& state);
// Writes the headers with the new comments, the audio re-paged and the rest
// of the input unchanged. 0 on success, -1 with GetLastError set otherwise.
int WriteStream(CommentEditState& state, OggWriteFunction write);
// The next audio packet of the first stream; false when it has ended.
bool FetchPacket(CommentEditState& state, ogg_packet& packet);
// Samples the packet completes: half the overlap with the previous one.
long BlockSize(CommentEditState& state, const ogg_packet& packet);
// Frees everything but the last error.
void ClearState(CommentEditState& state);
const std::string& GetLastError(const CommentEditState& state);

using VorbisCommentList = std::vector<std::pair<std::string, std::string>>;

// Sets the named fields in `comments`: the first comment of each name (in
// any letter case, as field names are compared) takes the new value where
// it stands, later ones of that name go, and names not there yet are added
// at the end. A field set to an empty value is removed. Every other comment
// stays as it was, in order.
void SetVorbisFields(std::vector<std::string>& comments, const VorbisCommentList& fields);

// The whole rewrite of `path` through a temporary copy with the named fields
// set as SetVorbisFields does and every other comment kept. On failure the
// file is left as it was and the temporary copy is gone.
Status RewriteVorbisComments(const std::string& path, const VorbisCommentList& fields);
