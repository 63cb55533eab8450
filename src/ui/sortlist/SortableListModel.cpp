#include "ui/sortlist/SortableListModel.h"

QString CSortableListModel::SortText(int row, int column) const
{
    return data(index(row, column), Qt::DisplayRole).toString();
}

void CSortableListModel::Reorder(const std::vector<std::size_t>& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    MoveRows(order);
    std::vector<int> placeOf(order.size());
    for (std::size_t place = 0; place < order.size(); ++place)
        placeOf[order[place]] = static_cast<int>(place);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
    {
        const auto row = static_cast<std::size_t>(old.row());
        after.push_back(row < placeOf.size() ? index(placeOf[row], old.column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
