#pragma once

class CColorListBox;
class CPathLabel;
class QBoxLayout;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QWidget;

// The parts the run dialogs have in common, added to a column of `owner`'s
// layout. Tests find them by their object names.
CColorListBox* AddResultsList(QBoxLayout& layout, QWidget& owner); // "results"
CPathLabel* AddCurrentFile(QBoxLayout& layout, QWidget& owner);    // "currentFile"
QProgressBar* AddProgressBar(QBoxLayout& layout, QWidget& owner);  // "progress"
QPushButton* AddCancelButton(QBoxLayout& layout, QWidget& owner);  // "cancel"
// A group box without a title of its own around a progress bar; the run
// writes what it is doing into the title.
QGroupBox* AddCaptionedProgress(QBoxLayout& layout, QWidget& owner, QProgressBar*& progress);
