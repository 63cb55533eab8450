#pragma once

#include "tracks/Document.h"

#include <string>

class IRunHost;

// The analysis report: a heading, then seven labelled lines and an empty
// line per track, every line ending in CR LF.
std::string RenderAnalysisReport(const TrackRefs& tracks);

// Writes the report of `tracks` to `path`. Only a name ending in ".txt" (any
// case) is written to; another name, or a failure, is told to `host` with
// the file's name and the reason. The file is replaced whole or not at all.
bool SaveAnalysisResults(const std::string& path, const TrackRefs& tracks, IRunHost& host);

// Moves every corrupt track's file into `folder`, asking before replacing a
// file there, and takes the moved tracks out of the document. A move across
// file systems copies and then deletes. Each failure is told to `host` and
// the track stays; a file already in `folder` stays where it is.
void MoveCorruptFiles(CTunewright20Doc& document, const std::string& folder, IRunHost& host);
