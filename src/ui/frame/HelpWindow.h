#pragma once

#include <QDialog>

class QTextBrowser;

// A small window showing the program's help pages, which ship inside the
// program; links between pages work, outside links open in the browser.
class CHelpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows `page` (a file name among the help pages); false if there is none.
    bool ShowPage(const QString& page);
    QString CurrentPage() const;

private:
    QTextBrowser* m_browser;
};
