#include "ui/common/DragData.h"

#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

TEST(DragData, FolderAndTrackDragsGiveTheirTrackFiles)
{
    CTempDir dir;
    WriteFileBytes(dir.File("b.mp3"), {1});
    WriteFileBytes(dir.File("a.ogg"), {1});
    WriteFileBytes(dir.File("c.txt"), {1});
    const auto data = MakeFolderDrag(QString::fromStdString(dir.Path().string()));
    ASSERT_TRUE(IsTrackDrop(*data));
    EXPECT_EQ(PathsFromDrop(*data),
              (std::vector<std::string>{dir.File("a.ogg"), dir.File("b.mp3")}));

    // A drag of tracks gives their paths in order.
    const auto tracks = MakeTracksDrag({QStringLiteral("/m/z.mp3"), QString::fromUtf8("/m/é.wav")});
    EXPECT_EQ(PathsFromDrop(*tracks), (std::vector<std::string>{"/m/z.mp3", "/m/é.wav"}));

    // Text and web links are no track drop.
    QMimeData text;
    text.setText(QStringLiteral("/m/a.mp3"));
    EXPECT_FALSE(IsTrackDrop(text));
    text.setUrls({QUrl(QStringLiteral("https://example.org/a.mp3"))});
    EXPECT_FALSE(IsTrackDrop(text));
}
