#include "ui/tree/FolderTreeCtrl.h"

#include "support/MemorySettingsStorage.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/Document.h"
#include "ui/tree/TreeView1.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

QStringList ChildTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* item, const QString& name)
{
    for (int i = 0; i < item->childCount(); ++i)
    {
        if (item->child(i)->text(0) == name)
            return item->child(i);
    }
    return nullptr;
}

class FolderTree : public ::testing::Test
{
protected:
    FolderTree() : m_settings(m_storage), m_tree(m_settings)
    {
        m_storage.PutString("LastPath", "Path", m_dir.Path().string());
        QObject::connect(&m_tree, &CFolderTreeCtrl::FolderSelected,
                         [this](const QString& path) { m_reported << path; });
    }

    fs::path Make(const std::string& relative)
    {
        fs::create_directories(m_dir.Path() / relative);
        return m_dir.Path() / relative;
    }

    QTreeWidgetItem* Selected() const
    {
        const QList<QTreeWidgetItem*> items = m_tree.selectedItems();
        return items.size() == 1 ? items.front() : nullptr;
    }

    std::string StoredPath() const { return m_settings.GetLastPath(); }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings;
    CFolderTreeCtrl m_tree;
    QStringList m_reported;
};

// The tree view over the same folder, adding to a document.
class TreeView : public FolderTree
{
protected:
    std::unique_ptr<CTreeView1> MakeView()
    {
        return std::make_unique<CTreeView1>(m_doc, m_settings,
                                            [this](const std::vector<std::string>& paths)
                                            { m_added.push_back(paths); });
    }

    CTunewright20Doc m_doc{m_settings};
    std::vector<std::vector<std::string>> m_added;
};
} // namespace

TEST_F(FolderTree, BranchesAreReadWhenOpenedAndDroppedWhenClosed)
{
    for (const char* folder : {"beta", "Alpha/deep", "gamma", "empty", "hiddenonly", "filesonly"})
        Make(folder);
    for (const char* file : {"hiddenonly/.secret", "filesonly/a.txt", "loose.mp3"})
        WriteFileBytes(m_dir.File(file), {1});
    ASSERT_TRUE(m_tree.Initialise(true));

    QTreeWidgetItem* top = Selected();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(m_tree.ItemPath(top), Q(m_dir.Path()));
    EXPECT_EQ(ChildTexts(top),
              (QStringList{"Alpha", "beta", "empty", "filesonly", "gamma", "hiddenonly"}));

    QTreeWidgetItem* alpha = ChildNamed(top, "Alpha");
    EXPECT_EQ(ChildTexts(alpha), QStringList{QString()});
    EXPECT_TRUE(m_tree.ItemPath(alpha->child(0)).isEmpty());
    EXPECT_EQ(ChildTexts(ChildNamed(top, "filesonly")), QStringList{QString()});
    EXPECT_EQ(ChildNamed(top, "empty")->childCount(), 0);
    EXPECT_EQ(ChildNamed(top, "hiddenonly")->childCount(), 0);

    alpha->setExpanded(true);
    ASSERT_EQ(ChildTexts(alpha), QStringList{"deep"});
    EXPECT_EQ(m_tree.ItemPath(alpha->child(0)), Q(m_dir.Path() / "Alpha" / "deep"));
    alpha->setExpanded(false);
    EXPECT_EQ(ChildTexts(alpha), QStringList{QString()});

    ChildNamed(top, "filesonly")->setExpanded(true);
    EXPECT_EQ(ChildNamed(top, "filesonly")->childCount(), 0);

    // Without showing files a folder of files cannot be opened.
    ASSERT_TRUE(m_tree.Initialise(false));
    EXPECT_EQ(ChildNamed(Selected(), "filesonly")->childCount(), 0);
}

TEST_F(FolderTree, SelectPathOpensTheBranchesAfreshAndChoosesTheFolder)
{
    ASSERT_TRUE(m_tree.Initialise(true));
    const fs::path nested = Make("one/two/three");
    m_reported.clear();

    ASSERT_TRUE(m_tree.SelectPath(Q(nested) + "/"));
    QTreeWidgetItem* item = Selected();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), "three");
    EXPECT_EQ(m_tree.ItemPath(item), Q(nested));
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        EXPECT_TRUE(up->isExpanded()) << up->text(0).toStdString();
    EXPECT_EQ(m_tree.ItemPath(m_tree.topLevelItem(0)), QDir::rootPath());
    EXPECT_EQ(StoredPath(), nested.string());
    EXPECT_EQ(m_reported, QStringList{Q(nested)});

    // The open branches are read again, so a folder made meanwhile is found.
    const fs::path added = Make("one/two/added");
    ASSERT_TRUE(m_tree.SelectPath(Q(added)));
    EXPECT_EQ(m_tree.ItemPath(Selected()), Q(added));

    // The exact case wins; another case is only the fallback.
    const fs::path upper = Make("Music");
    const fs::path lower = Make("music");
    ASSERT_TRUE(m_tree.SelectPath(Q(lower)));
    EXPECT_EQ(m_tree.ItemPath(Selected()), Q(lower));
    ASSERT_TRUE(m_tree.SelectPath(Q(upper)));
    EXPECT_EQ(m_tree.ItemPath(Selected()), Q(upper));
}

TEST_F(FolderTree, AFolderThatIsGoneSelectsNothing)
{
    const fs::path gone = Make("gone");
    ASSERT_TRUE(m_tree.Initialise(true));
    QTreeWidgetItem* before = Selected();
    EXPECT_FALSE(m_tree.SelectPath(Q(gone / "never")));
    EXPECT_FALSE(m_tree.SelectPath(QString()));
    EXPECT_FALSE(m_tree.SelectPath("relative/folder"));
    EXPECT_EQ(Selected(), before);

    m_storage.PutString("LastPath", "Path", gone.string());
    fs::remove(gone);
    m_reported.clear();
    ASSERT_TRUE(m_tree.Initialise(true));
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(m_tree.topLevelItemCount(), QDir::drives().size());
    EXPECT_FALSE(m_tree.topLevelItem(0)->isExpanded());
    EXPECT_TRUE(m_reported.isEmpty());
    EXPECT_TRUE(m_tree.LastError().isEmpty());
}

TEST_F(FolderTree, F5RebuildsTheTreeAndClosingABranchChoosesIt)
{
    ASSERT_TRUE(m_tree.Initialise(true));
    const fs::path later = Make("later");
    EXPECT_EQ(ChildNamed(Selected(), "later"), nullptr);

    QKeyEvent f5(QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_tree, &f5);
    ASSERT_NE(Selected(), nullptr);
    EXPECT_EQ(m_tree.ItemPath(Selected()), Q(m_dir.Path()));
    EXPECT_NE(ChildNamed(Selected(), "later"), nullptr);

    // Closing a branch around the chosen folder chooses the branch.
    const fs::path inner = Make("outer/inner");
    ASSERT_TRUE(m_tree.SelectPath(Q(inner)));
    QTreeWidgetItem* outer = Selected()->parent();
    outer->setExpanded(false);
    EXPECT_EQ(Selected(), outer);
    EXPECT_EQ(StoredPath(), (m_dir.Path() / "outer").string());
    EXPECT_EQ(ChildTexts(outer), QStringList{QString()});
}

TEST_F(TreeView, AddTracksTakesTheAudioFilesOfTheChosenCurrentFolder)
{
    Make("x.mp3");
    for (const char* file : {"notes_mp3", "B.ogg", "a.WAV", "c.txt"})
        WriteFileBytes(m_dir.File(file), {1});
    const auto view = MakeView();

    bool enabled = false;
    ASSERT_TRUE(view->QueryCommand(kCmdAddTracks, enabled));
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(view->QueryCommand(kCmdRemoveTracks, enabled));

    view->RunCommand(kCmdAddTracks);
    ASSERT_EQ(m_added.size(), 1u);
    EXPECT_EQ(m_added.front(), (std::vector<std::string>{m_dir.File("a.WAV"), m_dir.File("B.ogg"),
                                                         m_dir.File("notes_mp3")}));

    // The chosen folder becomes the current folder.
    EXPECT_EQ(m_doc.GetCurrentFolder(), m_dir.Path().string());
    ASSERT_TRUE(view->Tree().SelectPath(Q(Make("sub"))));
    EXPECT_EQ(m_doc.GetCurrentFolder(), m_dir.File("sub"));
    EXPECT_EQ(m_settings.GetLastPath(), m_dir.File("sub"));
}

TEST_F(TreeView, AKeyboardContextMenuOpensNearTheTopLeftCorner)
{
    const auto view = MakeView();
    view->resize(300, 400);
    view->show();
    QMenu menu;
    menu.addAction(QStringLiteral("Add Tracks"));
    view->SetContextMenu(&menu);

    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(120, 200),
                              view->Tree().mapToGlobal(QPoint(120, 200)));
    QCoreApplication::sendEvent(&view->Tree(), &request);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), view->mapToGlobal(QPoint(5, 5)));
}
