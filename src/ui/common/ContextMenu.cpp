#include "ui/common/ContextMenu.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWidget>

void PopupContextMenu(QMenu& menu, const QWidget& pane, const QContextMenuEvent& event)
{
    const QPoint at = event.reason() == QContextMenuEvent::Keyboard ? pane.mapToGlobal(QPoint(5, 5))
                                                                    : event.globalPos();
    menu.popup(at);
}
