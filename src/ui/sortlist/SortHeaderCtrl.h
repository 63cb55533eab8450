#pragma once

#include <QHeaderView>
#include <map>

enum class ESortArrow
{
    None,
    Up,  // sorted ascending
    Down // sorted descending
};

// A list's column header that can show a sort arrow beside the title of
// several columns at once (the platform's own indicator shows one). Arrows
// are kept by logical column number, so they follow a column that the user
// drags elsewhere.
class CSortHeaderCtrl : public QHeaderView
{
    Q_OBJECT

public:
    explicit CSortHeaderCtrl(QWidget* parent = nullptr);

    void SetSortArrow(int column, bool ascending);
    void ClearSortArrow(int column);
    void ClearAllSortArrows();
    ESortArrow SortArrow(int column) const;
    // The column that last received an arrow, -1 before the first.
    int LastArrowColumn() const { return m_LastArrowColumn; }

signals:
    // A press and release of one mouse button on the same column, which was
    // neither moved nor resized, with the keys held at the release.
    void ColumnClicked(int column, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintWithArrow(QPainter* painter, const QRect& rect, int logicalIndex,
                        ESortArrow arrow) const;
    void UpdateColumn(int column);

    std::map<int, bool> m_Arrows; // column -> ascending
    int m_LastArrowColumn = -1;
    int m_PressedColumn = -1; // column under a press of any button but the left
    Qt::KeyboardModifiers m_ReleaseModifiers;
};
