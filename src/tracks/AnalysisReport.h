#pragma once

#include "io/Status.h"
#include "tracks/Document.h"

#include <string>

class IRunHost;

// The analysis report: a heading, then seven labelled lines and an empty
// line per track, every line ending in CR LF. Control characters in paths
// and tags are escaped, so that no name or tag can break or add a line.
// With `details`, a track's detail lines (TrackInfo::checkDetails), indented,
// come between its seven lines and the empty line.
std::string RenderAnalysisReport(const TrackRefs& tracks, bool details = false);

// Tries where a report at `path` would go, without writing it: through a
// link to the file it leads to, refusing a read-only file and a folder that
// does not take new files. Sets `target` to the file to write.
Status TryReportTarget(const std::string& path, std::string& target);

// Writes the report of `tracks` to `path` (through a link, to its target).
// Only a name ending in ".txt" (any case) is written to; another name, a
// read-only file or a failure is told to `host` with the file's name and the
// reason. The file is replaced whole or not at all.
bool SaveAnalysisResults(const std::string& path, const TrackRefs& tracks, IRunHost& host,
                         bool details = false);

// Moves every corrupt track's file into `folder`, asking before replacing a
// file there, and takes the moved tracks out of the document. A move across
// file systems copies (keeping the modification time and permissions) and
// then deletes. A file whose name one moved before it in the same call took
// gets a free name ("name (2).mp3"), told to `host`. Each failure is told to
// `host` and the track stays; a file already in `folder` stays where it is.
void MoveCorruptFiles(CTunewright20Doc& document, const std::string& folder, IRunHost& host);
