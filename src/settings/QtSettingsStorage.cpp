#include "settings/QtSettingsStorage.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdlib>
#include <limits>

namespace
{
QString Key(const std::string& section, const std::string& name)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

std::optional<int> FromWide(qlonglong value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}
} // namespace

CQtSettingsStorage::CQtSettingsStorage()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("BRELVIND"),
                                             QString::fromLatin1(kSettingsApplication)))
{
}

CQtSettingsStorage::CQtSettingsStorage(const std::string& iniPath)
    : m_settings(std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat))
{
}

CQtSettingsStorage::~CQtSettingsStorage() = default;

std::string CQtSettingsStorage::Location() const
{
    std::lock_guard lock(m_mutex);
    return m_settings->fileName().toStdString();
}

std::optional<int> CQtSettingsStorage::ReadInt(const std::string& section,
                                               const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    // Picks up changes another process (the command line, say) has made.
    m_settings->sync();
    const QVariant value = m_settings->value(Key(section, name));
    switch (value.typeId())
    {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt:
        // A registry DWORD above INT_MAX is a negative number stored unsigned.
        return static_cast<int>(value.toUInt());
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return FromWide(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
    {
        const qulonglong wide = value.toULongLong();
        if (wide > static_cast<qulonglong>(std::numeric_limits<int>::max()))
            return std::nullopt;
        return static_cast<int>(wide);
    }
    case QMetaType::QString:
    {
        // Ini files hold every value as text.
        bool ok = false;
        const int parsed = value.toString().trimmed().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
        return parsed;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::string> CQtSettingsStorage::ReadString(const std::string& section,
                                                          const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    m_settings->sync();
    const QVariant value = m_settings->value(Key(section, name));
    switch (value.typeId())
    {
    case QMetaType::QString:
        return value.toString().toStdString();
    case QMetaType::QStringList:
        // An unquoted comma in a hand-edited ini file splits the text into a
        // list; the folder meant is the text with its commas.
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    default:
        return std::nullopt;
    }
}

void CQtSettingsStorage::WriteInt(const std::string& section, const std::string& name, int value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(Key(section, name), value);
    m_settings->sync();
}

void CQtSettingsStorage::WriteString(const std::string& section, const std::string& name,
                                     const std::string& value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(Key(section, name), QString::fromStdString(value));
    m_settings->sync();
}

std::unique_ptr<ISettingsStorage> OpenProgramSettings()
{
    if (const char* file = std::getenv("TUNEWRIGHT_SETTINGS"); file && *file)
        return std::make_unique<CQtSettingsStorage>(std::string(file));
    return std::make_unique<CQtSettingsStorage>();
}
