#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidget>

class CSettingsStore;

// The drives and their folders, read from disk only when a branch is opened
// and forgotten when it is closed. A folder that can be opened but has not
// been read carries one child with an empty text, so that the tree draws an
// expand button. Each item keeps its folder's full path; files are never
// shown. Choosing a folder stores it as the last path in the settings and
// reports it through FolderSelected.
class CFolderTreeCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CFolderTreeCtrl(CSettingsStore& settings, QWidget* parent = nullptr);

    // Rebuilds the tree from the drives down and selects the stored last
    // path. `showFiles`: a folder that holds only visible files can be
    // opened too (and shows nothing). False when the tree stays empty.
    bool Initialise(bool showFiles);
    // The full path of `item`'s folder; a drive gives its root ("/", "C:/").
    // Empty for the placeholder and for no item.
    QString ItemPath(const QTreeWidgetItem* item) const;
    // Opens the branches down to `path` (re-reading those that were open)
    // and selects it. Letter case must match where a folder's name matches
    // exactly; otherwise the first name that differs only in case is taken.
    // False, with nothing changed, when no drive holds the path or the
    // folder does not exist; false, with the branches opened so far left
    // open, when a branch on the way does not show the next folder.
    bool SelectPath(const QString& path);
    // The text of the last failure; kept for inspection, shown nowhere.
    const QString& LastError() const { return m_LastError; }

signals:
    // The user or SelectPath chose the folder at `path`.
    void FolderSelected(const QString& path);
    // A drag started on `item`; whoever owns the tree carries it out.
    void ItemDragStarted(QTreeWidgetItem* item);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    bool ShowDrives();
    QTreeWidgetItem* InsertFolder(QTreeWidgetItem* parent, const QString& path);
    void AddPlaceholderIfOpenable(QTreeWidgetItem* item);
    void ReadFolder(QTreeWidgetItem* item);
    void OnItemExpanded(QTreeWidgetItem* item);
    void OnItemCollapsed(QTreeWidgetItem* item);
    void OnSelectionChanged();
    void OpenAfresh(QTreeWidgetItem* item);
    QTreeWidgetItem* FindRoot(const QString& path, QString& rest) const;
    QIcon FolderIcon(bool drive) const;

    CSettingsStore& m_settings;
    QString m_LastError;
    bool m_bShowFiles = false;
    bool m_bOpeningPath = false;
    QIcon m_DriveIcon;
    QIcon m_FolderIcon;
};
