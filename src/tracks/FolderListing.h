#pragma once

#include <string>
#include <vector>

// Whether a file name is offered as a track: its last three characters,
// lower-cased, are "mp3", "wav" or "ogg" (a dot is not required).
bool IsTrackFileName(const std::string& name);

// The full paths of the files in `folder` whose names are offered as tracks,
// sorted by path ignoring letter case. Folders are never offered, whatever
// their names; a folder that cannot be listed gives nothing.
std::vector<std::string> ListTrackFiles(const std::string& folder);

// The full paths of the subfolders of `folder`, sorted the same way.
std::vector<std::string> ListSubfolders(const std::string& folder);

// Whether `folder` holds a subfolder or, when `countFiles`, a file that is
// not hidden: what decides whether the folder tree offers to open it.
bool HasSubitems(const std::string& folder, bool countFiles);

// Orders paths by their text ignoring ASCII letter case; ties keep their order.
void SortPathsIgnoringCase(std::vector<std::string>& paths);
