#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstddef>
#include <vector>

// The rows of a sortable list (see CMultiColumnSortListView): a table whose
// rows can be put in a new order. Reorder moves the selection, the current
// row and every other persistent index with their rows.
class CSortableListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // The text a row sorts by in `column`; the shown text unless a model
    // knows it faster.
    virtual QString SortText(int row, int column) const;

    // Puts the rows in a new order: entry i of `order` is the row that
    // moves to place i. `order` holds every row once.
    void Reorder(const std::vector<std::size_t>& order);

protected:
    // Moves the rows' own data into the new order.
    virtual void MoveRows(const std::vector<std::size_t>& order) = 0;
};
