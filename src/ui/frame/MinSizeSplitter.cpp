#include "ui/frame/MinSizeSplitter.h"

#include <QResizeEvent>
#include <algorithm>

CMinSizeSplitter::CMinSizeSplitter(Qt::Orientation orientation, int firstMinimum, int secondMinimum,
                                   QWidget* parent)
    : QSplitter(orientation, parent), m_minimum{firstMinimum, secondMinimum}
{
    setChildrenCollapsible(false);
    setHandleWidth(kGap);
    setOpaqueResize(true);
}

void CMinSizeSplitter::SetPanes(QWidget* first, QWidget* second)
{
    QWidget* panes[2] = {first, second};
    for (int i = 0; i < 2; ++i)
    {
        addWidget(panes[i]);
        if (orientation() == Qt::Horizontal)
            panes[i]->setMinimumWidth(m_minimum[i]);
        else
            panes[i]->setMinimumHeight(m_minimum[i]);
        setStretchFactor(i, i);
    }
}

void CMinSizeSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    if (m_sized || !m_firstSize || count() != 2)
        return;
    m_sized = true;
    const int total =
        (orientation() == Qt::Horizontal ? event->size().width() : event->size().height()) - kGap;
    const int first = std::max(m_firstSize(), m_minimum[0]);
    setSizes({first, std::max(total - first, m_minimum[1])});
}
