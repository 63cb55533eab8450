#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QMimeData;

// What is dragged between the panes: a folder from the folder tree, or
// the selected files of the folder list. Files and folders dragged from
// the desktop's file manager arrive as a list of local file addresses.
std::unique_ptr<QMimeData> MakeFolderDrag(const QString& folder);
std::unique_ptr<QMimeData> MakeTracksDrag(const QStringList& paths);

// Whether the working list takes a drop of `data`.
bool IsTrackDrop(const QMimeData& data);

// The files a drop onto the working list adds, in order: the audio files
// of a dragged folder, the dragged files, or the desktop's files as they
// are and the audio files of its folders.
std::vector<std::string> PathsFromDrop(const QMimeData& data);
