#pragma once

#include "tracks/Document.h"
#include "ui/common/Commands.h"
#include "ui/views/FileIcons.h"

#include <QAbstractListModel>
#include <QStringList>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QMenu;

using AddTracksFunction = std::function<void(const std::vector<std::string>&)>;

// The files of a folder, one row each, shown by name with the desktop's
// icon for the file's type.
class CFolderFilesModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Shows `paths` (full paths, in order) in one reset.
    void SetPaths(QStringList paths);
    const QStringList& Paths() const { return m_paths; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows may be dragged out (to the working list).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_paths;
    mutable CFileIcons m_icons;
};

// The list control of the folder list: one column, whole rows selected,
// rows dragged out as a list of files.
class CTrackListCtrl : public QTreeView
{
    Q_OBJECT

public:
    explicit CTrackListCtrl(QWidget* parent = nullptr);

    CFolderFilesModel& Files() { return *m_files; }
    // The full paths of the selected rows, in row order.
    QStringList SelectedPaths() const;
    bool IsDragging() const { return m_dragging; }

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    CFolderFilesModel* m_files; // a child of the list
    bool m_dragging = false;
};

// The lower left pane: the audio files of the document's current folder.
class CListTracksView : public QWidget, public IDocumentObserver, public ICommandTarget
{
    Q_OBJECT

public:
    CListTracksView(CTunewright20Doc& doc, AddTracksFunction addTracks, QWidget* parent = nullptr);
    ~CListTracksView() override;

    void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }
    CTrackListCtrl& List() { return *m_list; }
    // Refills the list from the document's current folder.
    void Fill();
    void AddSelectedTracks();

    void OnDocumentChanged(ViewScope scope) override;
    bool QueryCommand(int id, bool& enabled) const override;
    void RunCommand(int id) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CTunewright20Doc& m_doc;
    AddTracksFunction m_addTracks;
    CTrackListCtrl* m_list;
    QMenu* m_contextMenu = nullptr;
};
