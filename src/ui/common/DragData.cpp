#include "ui/common/DragData.h"

#include "tracks/FolderListing.h"
#include "ui/common/UiText.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

namespace
{
const QString kFolderFormat = QStringLiteral("application/x-tunewright-folder");
const QString kTracksFormat = QStringLiteral("application/x-tunewright-tracks");

void Append(std::vector<std::string>& to, const std::vector<std::string>& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

std::vector<std::string> PathsFromUrls(const QList<QUrl>& urls)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
    {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            Append(paths, ListTrackFiles(ToUtf8(info.absoluteFilePath())));
        else if (info.isFile())
            paths.push_back(ToUtf8(info.absoluteFilePath()));
    }
    return paths;
}
} // namespace

std::unique_ptr<QMimeData> MakeFolderDrag(const QString& folder)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(kFolderFormat, folder.toUtf8());
    return data;
}

std::unique_ptr<QMimeData> MakeTracksDrag(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(kTracksFormat, paths.join(QLatin1Char('\n')).toUtf8());
    return data;
}

bool IsTrackDrop(const QMimeData& data)
{
    if (data.hasFormat(kFolderFormat) || data.hasFormat(kTracksFormat))
        return true;
    const QList<QUrl> urls = data.urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

std::vector<std::string> PathsFromDrop(const QMimeData& data)
{
    if (data.hasFormat(kFolderFormat))
        return ListTrackFiles(data.data(kFolderFormat).toStdString());
    if (data.hasFormat(kTracksFormat))
    {
        std::vector<std::string> paths;
        for (const QString& path : QString::fromUtf8(data.data(kTracksFormat)).split('\n'))
        {
            if (!path.isEmpty())
                paths.push_back(ToUtf8(path));
        }
        return paths;
    }
    return PathsFromUrls(data.urls());
}
