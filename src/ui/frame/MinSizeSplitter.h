#pragma once

#include <QSplitter>
#include <functional>

// A two-pane splitter whose panes never shrink below their minimum sizes
// and never collapse, with a 5-pixel bar. At its first size change in a run
// it gives the first pane the size `firstSize` returns.
class CMinSizeSplitter : public QSplitter
{
    Q_OBJECT

public:
    static constexpr int kGap = 5;

    CMinSizeSplitter(Qt::Orientation orientation, int firstMinimum, int secondMinimum,
                     QWidget* parent = nullptr);

    // Adds the two panes, in order.
    void SetPanes(QWidget* first, QWidget* second);
    // Where the first pane's size comes from at the first size change.
    void SetInitialFirstSize(std::function<int()> firstSize) { m_firstSize = std::move(firstSize); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_minimum[2];
    std::function<int()> m_firstSize;
    bool m_sized = false;
};
