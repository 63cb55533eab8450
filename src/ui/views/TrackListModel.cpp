#include "ui/views/TrackListModel.h"

#include "tracks/Strings.h"
#include "ui/common/UiText.h"

namespace
{
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

// The file name with its extension: what follows the last separator.
QString FileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of(kSeparators);
    return ToQString(slash == std::string::npos ? path : path.substr(slash + 1));
}

Qt::Alignment ColumnAlignment(int column)
{
    return (column == CTrackListModel::kColLength ? Qt::AlignHCenter : Qt::AlignLeft) |
           Qt::AlignVCenter;
}
} // namespace

CTrackListModel::CTrackListModel(QObject* parent) : CSortableListModel(parent)
{
    for (const std::string& name : strings::ColumnNames())
        m_titles.append(Tr(name.c_str()));
}

void CTrackListModel::Refresh(TrackRefs tracks)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(tracks.size());
    for (TrackInfo* track : tracks)
        m_rows.push_back({track, track->checkStatus, track->convertStatus});
    endResetModel();
}

TrackRefs CTrackListModel::Tracks() const
{
    TrackRefs tracks;
    tracks.reserve(m_rows.size());
    for (const Row& row : m_rows)
        tracks.push_back(row.track);
    return tracks;
}

int CTrackListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CTrackListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CTrackListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role)
    {
    case Qt::DisplayRole:
        return SortText(index.row(), index.column());
    case Qt::DecorationRole:
        if (index.column() == kColFile)
            return m_icons.ForFile(
                ToQString(m_rows[static_cast<std::size_t>(index.row())].track->path));
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColumnAlignment(index.column()));
    default:
        return {};
    }
}

QVariant CTrackListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return section < m_titles.size() ? m_titles[section] : QString();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(section));
    return {};
}

QString CTrackListModel::SortText(int row, int column) const
{
    const Row& shown = m_rows[static_cast<std::size_t>(row)];
    const TrackInfo& track = *shown.track;
    switch (column)
    {
    case kColFile:
        return FileName(track.path);
    case kColCheck:
        return Tr(strings::CheckStatusText(shown.checkStatus));
    case kColConvert:
        return Tr(strings::ConvertStatusText(shown.convertStatus));
    case kColTitle:
        return ToQString(track.title);
    case kColArtist:
        return ToQString(track.artist);
    case kColAlbum:
        return ToQString(track.album);
    case kColLength:
        return ToQString(track.lengthText);
    case kColPath:
        return ToQString(track.path);
    default:
        return {};
    }
}

void CTrackListModel::MoveRows(const std::vector<std::size_t>& order)
{
    std::vector<Row> moved;
    moved.reserve(order.size());
    for (const std::size_t row : order)
        moved.push_back(m_rows[row]);
    m_rows = std::move(moved);
}
