#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QString>

// The desktop's small icon of a file, asked once per extension: lists of
// thousands of tracks would otherwise look each file's type up.
class CFileIcons
{
public:
    QIcon ForFile(const QString& path);

private:
    QFileIconProvider m_provider;
    QHash<QString, QIcon> m_byExtension;
};
