#include "ui/common/UiText.h"

#include <QCoreApplication>

QString Tr(const char* text)
{
    return QCoreApplication::translate("Tunewright", text);
}

QString ToQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
