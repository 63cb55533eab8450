#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

// What the menus, the toolbar and the keys show of one command.
struct CommandInfo
{
    int id;
    const char* label;      // menu text, "&" marks the access key
    const char* shortcut;   // bound key, or empty
    const char* keyText;    // key shown in the menu but bound elsewhere, or empty
    const char* statusText; // status bar prompt while highlighted
    const char* tooltip;    // toolbar tooltip, or empty
};

// Every command of the frame, in no particular order.
const std::vector<CommandInfo>& CommandTable();

// The toolbar's commands left to right; 0 stands for a separator.
const std::vector<int>& ToolbarLayout();

// A menu of the menu bar or a context menu: its title and its commands,
// 0 for a separator.
struct MenuLayout
{
    const char* title;
    std::vector<int> commands;
};
const std::vector<MenuLayout>& MenuBarLayout();
