#include "ui/tree/TreeView1.h"

#include "support/MemorySettingsStorage.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/Document.h"
#include "ui/tree/FolderTreeCtrl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
class TreeView : public ::testing::Test
{
protected:
    TreeView() : m_settings(m_storage), m_doc(m_settings)
    {
        m_storage.PutString("LastPath", "Path", m_dir.Path().string());
    }

    std::unique_ptr<CTreeView1> MakeView()
    {
        return std::make_unique<CTreeView1>(m_doc, m_settings,
                                            [this](const std::vector<std::string>& paths)
                                            { m_added.push_back(paths); });
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings;
    CTunewright20Doc m_doc;
    std::vector<std::vector<std::string>> m_added;
};
} // namespace

TEST_F(TreeView, AddTracksTakesTheAudioFilesOfTheChosenCurrentFolder)
{
    fs::create_directory(m_dir.Path() / "x.mp3");
    WriteFileBytes(m_dir.File("notes_mp3"), {1});
    WriteFileBytes(m_dir.File("B.ogg"), {1});
    WriteFileBytes(m_dir.File("a.WAV"), {1});
    WriteFileBytes(m_dir.File("c.txt"), {1});
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
    fs::create_directory(m_dir.Path() / "sub");
    ASSERT_TRUE(view->Tree().SelectPath(QString::fromStdString(m_dir.File("sub"))));
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
