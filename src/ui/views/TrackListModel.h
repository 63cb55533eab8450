#pragma once

#include "tracks/Document.h"
#include "ui/sortlist/SortableListModel.h"
#include "ui/views/FileIcons.h"

#include <cstdint>
#include <vector>

// The working list's rows: the document's records, one row each, in the
// document's order, with the texts of the eight columns computed when
// shown. Holds pointers to the records and a copy of the two statuses a
// run writes, so that a run's worker never writes what the window reads:
// the rows show the statuses as of the last Refresh, which must follow
// every change of the document's list.
class CTrackListModel final : public CSortableListModel
{
    Q_OBJECT

public:
    enum Column
    {
        kColFile,
        kColCheck,
        kColConvert,
        kColTitle,
        kColArtist,
        kColAlbum,
        kColLength,
        kColPath,
        kColumnCount
    };

    explicit CTrackListModel(QObject* parent = nullptr);

    // Shows `tracks` in one reset.
    void Refresh(TrackRefs tracks);
    // The records in row order.
    TrackRefs Tracks() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QString SortText(int row, int column) const override;

protected:
    void MoveRows(const std::vector<std::size_t>& order) override;

private:
    struct Row
    {
        TrackInfo* track;
        std::int32_t checkStatus;
        std::int32_t convertStatus;
    };

    QStringList m_titles;
    std::vector<Row> m_rows;
    mutable CFileIcons m_icons;
};
