#pragma once

#include <QDialog>

// The program's name, version and what it is for.
class CAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
