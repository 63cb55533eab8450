#pragma once

#include "ui/sortlist/SortHeaderCtrl.h"

#include <QString>
#include <QTreeWidget>
#include <bitset>
#include <vector>

class ISettingsStorage;

// A list of rows in report style (top-level items only) that sorts itself
// when a column header is clicked: a plain click sorts by that column alone,
// a click with Ctrl held adds the column as the last of several sort keys.
// Each click on a column alternates its direction, starting descending. The
// header shows an arrow on every sort key. Chosen columns sort as numbers,
// minutes:seconds texts included. Column widths are kept in the settings
// under the list's name and stored when the list is destroyed.
//
// The settings storage must outlive the list.
class CMultiColumnSortListView : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxSortKeys = 64;
    static constexpr int kDirectionColumns = 32; // columns that can be sorted
    static constexpr int kMinColumnWidth = 70;
    // A stored width above this is taken as damage, like one below the minimum.
    static constexpr int kMaxColumnWidth = 10000;
    static constexpr const char* kWidthSection = "ColumnWidths";

    explicit CMultiColumnSortListView(ISettingsStorage& storage, QWidget* parent = nullptr);
    ~CMultiColumnSortListView() override;

    // The value name under which the widths are kept; without one they are
    // neither loaded nor stored.
    void SetName(const QString& name) { m_Name = name; }

    void AddNumericColumn(int column);
    bool IsNumericColumn(int column) const;

    // Gives every column its stored width; widths missing from the store or
    // below the minimum become the minimum. Call after inserting the columns.
    void LoadColumnWidths();
    // Writes each column's width followed by "," in column-number order.
    void StoreColumnWidths();

    // A click on a column header. Only the left button sorts; Ctrl adds the
    // column to the sort keys instead of replacing them. Called by the
    // header; public so that it can be driven directly.
    void OnHeaderClick(int column, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // The sort columns, first key first.
    const std::vector<int>& SortKeys() const { return m_SortKeys; }
    // True while the rows are being reordered.
    bool IsSorting() const { return m_bSorting; }
    CSortHeaderCtrl& SortHeader() const { return *m_pHeader; }

protected:
    // Runs after each sort started by a header click, once the rows stand
    // in their new order.
    virtual void OnSorted() {}

private:
    struct SSortPass
    {
        int column;
        bool ascending;
    };

    void SortByOnly(int column);
    void SortByAdding(int column);
    void RunPasses(const std::vector<SSortPass>& passes);
    void ShowRowsInOrder(const QList<QTreeWidgetItem*>& rows);
    bool IsAscending(int column) const
    {
        return m_AscendingFlags.test(static_cast<std::size_t>(column));
    }
    void FlipDirection(int column) { m_AscendingFlags.flip(static_cast<std::size_t>(column)); }

    ISettingsStorage& m_Storage;
    CSortHeaderCtrl* m_pHeader;                      // owned by the list as its header
    std::vector<int> m_SortKeys;                     // in the order added, at most kMaxSortKeys
    std::bitset<kDirectionColumns> m_AscendingFlags; // the next sort's direction, set = ascending
    std::vector<int> m_NumericColumns;
    QString m_Name;
    bool m_bSorting = false;
};
