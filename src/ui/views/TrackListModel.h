#pragma once

#include "tracks/Document.h"
#include "ui/sortlist/SortableListModel.h"
#include "ui/views/FileIcons.h"

// The working list's rows: the document's records, one row each, in the
// document's order, with the texts of the eight columns computed when
// shown. Holds pointers to the records only; Refresh takes the document's
// list anew and must follow every change of it.
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
    const TrackRefs& Tracks() const { return m_tracks; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QString SortText(int row, int column) const override;

protected:
    void MoveRows(const std::vector<std::size_t>& order) override;

private:
    QStringList m_titles;
    TrackRefs m_tracks;
    mutable CFileIcons m_icons;
};
