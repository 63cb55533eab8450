#include "ui/frame/FramePlacement.h"

#include "support/MemorySettingsStorage.h"

#include <QMainWindow>
#include <gtest/gtest.h>

TEST(FramePlacement, RectangleTextRoundTrips)
{
    const QRect rect(100, 50, 800, 600);
    EXPECT_EQ(FormatRectangle(rect), "0100 0050 0900 0650");
    EXPECT_EQ(ParseRectangle("0100 0050 0900 0650"), rect);
    // Left of the primary monitor the text grows; it still reads back.
    const QRect wide(-1920, -5, 1600, 900);
    EXPECT_EQ(FormatRectangle(wide), "-1920 -005 -320 0895");
    EXPECT_EQ(ParseRectangle(FormatRectangle(wide)), wide);
}

TEST(FramePlacement, DamagedRectangleTextsReadAsNothing)
{
    for (const char* text : {"", "0100 0050 0900", "abc", "0900 0050 0100 0650",
                             "0100 0050 0100 0650", "1 2 99999999999 4"})
        EXPECT_FALSE(ParseRectangle(text).has_value()) << text;
}

TEST(FramePlacement, StoredValuesRoundTrip)
{
    CMemorySettingsStorage storage;
    FramePlacement placement;
    EXPECT_FALSE(FramePlacement::Load(storage).normal.has_value());
    placement.normal = QRect(10, 20, 300, 200);
    placement.iconized = true;
    placement.maximized = true;
    placement.Save(storage);
    EXPECT_EQ(storage.ReadString("Main Frame", "Rectangle"), "0010 0020 0310 0220");
    const FramePlacement loaded = FramePlacement::Load(storage);
    EXPECT_EQ(loaded.normal, placement.normal);
    EXPECT_TRUE(loaded.iconized);
    EXPECT_TRUE(loaded.maximized);
}

TEST(FramePlacement, ApplyChoosesTheShowState)
{
    QMainWindow window;
    CFramePlacement keeper(window);
    FramePlacement placement;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowNoState);
    placement.maximized = true;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMaximized);
    placement.iconized = true;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMinimized | Qt::WindowMaximized);
    placement.maximized = false;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMinimized);
}

TEST(FramePlacement, MinimisedFromMaximisedRestoresToMaximised)
{
    QMainWindow window;
    CFramePlacement keeper(window);
    window.setWindowState(Qt::WindowMinimized);
    keeper.OnStateChanged(Qt::WindowMaximized);
    FramePlacement captured = keeper.Capture();
    EXPECT_TRUE(captured.iconized);
    EXPECT_TRUE(captured.maximized);

    window.setWindowState(Qt::WindowNoState);
    keeper.OnStateChanged(Qt::WindowMinimized);
    window.setWindowState(Qt::WindowMinimized);
    keeper.OnStateChanged(Qt::WindowNoState);
    captured = keeper.Capture();
    EXPECT_TRUE(captured.iconized);
    EXPECT_FALSE(captured.maximized);
}
