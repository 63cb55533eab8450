#include "ui/runs/PathLabel.h"

#include <QResizeEvent>

CPathLabel::CPathLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumHeight(fontMetrics().height());
}

void CPathLabel::SetPath(const QString& path)
{
    if (path == m_path)
        return;
    m_path = path;
    setToolTip(path);
    Elide();
}

void CPathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void CPathLabel::Elide()
{
    setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, contentsRect().width()));
}
