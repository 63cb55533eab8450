#include "ui/views/FileIcons.h"

#include <QFileInfo>

QIcon CFileIcons::ForFile(const QString& path)
{
    const QFileInfo info(path);
    const QString extension = info.suffix().toUpper();
    auto it = m_byExtension.find(extension);
    if (it == m_byExtension.end())
        it = m_byExtension.insert(extension, m_provider.icon(info));
    return it.value();
}
