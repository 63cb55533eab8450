#pragma once

#include "tracks/Document.h"
#include "ui/common/Commands.h"
#include "ui/views/FileIcons.h"

#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QMenu;

using AddTracksFunction = std::function<void(const std::vector<std::string>&)>;

// The list control of the folder list: one column, whole rows selected,
// rows dragged out as a list of files.
class CTrackListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CTrackListCtrl(QWidget* parent = nullptr);

    // The full paths of the selected rows, in row order.
    QStringList SelectedPaths() const;
    bool IsDragging() const { return m_dragging; }

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
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
    CFileIcons m_icons;
    QMenu* m_contextMenu = nullptr;
};
