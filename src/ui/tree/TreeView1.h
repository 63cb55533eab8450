#pragma once

#include "ui/common/Commands.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class CFolderTreeCtrl;
class CSettingsStore;
class CTunewright20Doc;
class QLabel;
class QMenu;
class QTreeWidgetItem;

// The folder tree pane: a " Drives" caption over the tree of folders. The
// chosen folder becomes the document's current folder. A folder dragged from
// here carries its path (the working list adds its audio files); the Add
// Tracks command hands the current folder's audio files to `addTracks`.
class CTreeView1 : public QWidget, public ICommandTarget
{
    Q_OBJECT

public:
    using AddTracksFn = std::function<void(const std::vector<std::string>&)>;

    CTreeView1(CTunewright20Doc& doc, CSettingsStore& settings, AddTracksFn addTracks,
               QWidget* parent = nullptr);

    // The popup menu shown on a context-menu request; owned by the caller.
    void SetContextMenu(QMenu* menu);
    CFolderTreeCtrl& Tree() { return *m_Tree; }

    bool QueryCommand(int id, bool& enabled) const override;
    void RunCommand(int id) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DragFolder(QTreeWidgetItem* item);

    CTunewright20Doc& m_doc;
    AddTracksFn m_addTracks;
    QLabel* m_Caption = nullptr;
    CFolderTreeCtrl* m_Tree = nullptr;
    QPointer<QMenu> m_ContextMenu;
    bool m_selectedSinceClick = false;
};
