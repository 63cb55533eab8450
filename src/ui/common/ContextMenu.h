#pragma once

class QContextMenuEvent;
class QMenu;
class QWidget;

// Pops `menu` up where a pane's context menu belongs: at the mouse, or just
// inside the pane's top left corner when the keyboard asked for it.
void PopupContextMenu(QMenu& menu, const QWidget& pane, const QContextMenuEvent& event);
