#pragma once

#include "ui/sortlist/SortHeaderCtrl.h"

#include <QString>
#include <QStringList>
#include <QTreeView>
#include <bitset>
#include <cstddef>
#include <vector>

class CSortableListModel;
class ISettingsStorage;

// A list of rows in report style over a CSortableListModel that sorts it
// when a column header is clicked: a plain click sorts by that column alone,
// a click with Ctrl held adds the column as the last of several sort keys.
// Each click on a column alternates its direction, starting descending. The
// header shows an arrow on every sort key. Chosen columns sort as numbers,
// minutes:seconds texts included. Column widths are kept in the settings
// under the list's name and stored when the list is destroyed; until a
// width has been stored or set by hand, the columns fit their contents.
//
// The settings storage must outlive the list.
class CMultiColumnSortListView : public QTreeView
{
    Q_OBJECT

public:
    static constexpr int kMaxSortKeys = 64;
    static constexpr int kDirectionColumns = 32; // columns that can be sorted
    static constexpr int kMinColumnWidth = 70;
    // A stored width above this is taken as damage, like one below the minimum.
    static constexpr int kMaxColumnWidth = 10000;
    // Fitting a column to its contents never makes it wider than this.
    static constexpr int kMaxFittedWidth = 480;
    static constexpr const char* kWidthSection = "ColumnWidths";

    explicit CMultiColumnSortListView(ISettingsStorage& storage, QWidget* parent = nullptr);
    ~CMultiColumnSortListView() override;

    // The value name under which the widths are kept; without one they are
    // neither loaded nor stored.
    void SetName(const QString& name) { m_Name = name; }
    // The rows. Not owned, but read when the list goes (for the widths):
    // a child of the list lives long enough.
    void SetSortModel(CSortableListModel* model);
    CSortableListModel* SortModel() const { return m_pModel; }
    // Texts of a typical row, one per column: a column fitted to its
    // contents is never narrower than its typical text, so that an empty
    // list starts with readable columns.
    void SetTypicalTexts(const QStringList& texts) { m_TypicalTexts = texts; }

    void AddNumericColumn(int column);
    bool IsNumericColumn(int column) const;

    // Gives every column its stored width; widths missing from the store or
    // below the minimum become the minimum. With nothing stored at all, the
    // columns fit their contents instead. Call after inserting the columns.
    void LoadColumnWidths();
    // While the columns fit their contents: fits them to the rows now shown.
    void FitColumnsIfUnset();
    bool FitsColumns() const { return m_bFitColumns; }
    // Writes each column's width followed by "," in column-number order.
    void StoreColumnWidths();

    // A click on a column header. Only the left button sorts; Ctrl adds the
    // column to the sort keys instead of replacing them. Called by the
    // header; public so that it can be driven directly.
    void OnHeaderClick(int column, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // The selected rows, ascending.
    std::vector<std::size_t> SelectedRows() const;
    // Selects `row` alone and makes it current.
    void SelectRow(int row);
    int RowCount() const;

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
    int ColumnCount() const;
    int FittedWidth(int column);
    bool IsAscending(int column) const
    {
        return m_AscendingFlags.test(static_cast<std::size_t>(column));
    }
    void FlipDirection(int column) { m_AscendingFlags.flip(static_cast<std::size_t>(column)); }

    ISettingsStorage& m_Storage;
    CSortableListModel* m_pModel = nullptr;
    CSortHeaderCtrl* m_pHeader;                      // owned by the list as its header
    std::vector<int> m_SortKeys;                     // in the order added, at most kMaxSortKeys
    std::bitset<kDirectionColumns> m_AscendingFlags; // the next sort's direction, set = ascending
    std::vector<int> m_NumericColumns;
    QString m_Name;
    QStringList m_TypicalTexts;
    bool m_bSorting = false;
    bool m_bFitColumns = false; // nothing stored and nothing set by hand yet
    bool m_bSizing = false;     // the list itself is setting widths
};
