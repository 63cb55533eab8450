#pragma once

#include "io/Status.h"

#include <string>

// The folder a repaired file's original goes to unless told otherwise: a
// hidden folder beside the file.
inline constexpr const char* kBackupFolderName = ".tunewright-backup";
// The log of repairs, a text file of one line per file in the backup folder.
inline constexpr const char* kRepairLogName = "repair.log";

std::string DefaultBackupFolder(const std::string& file);

// Copies `original` into `folder` (made if missing) under its own name, or
// the first free "name (2).ext", "name (3).ext", ..., with its permissions
// and times. The copy appears whole or not at all.
Status BackUpOriginal(const std::string& original, const std::string& folder,
                      std::string& backupPath);

// Appends "time<TAB>path<TAB>text" to the folder's repair log. False when
// the log cannot be written.
bool AppendRepairLog(const std::string& folder, const std::string& path, const std::string& text);
