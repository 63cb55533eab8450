#pragma once

#include "settings/SettingsStore.h"

#include <memory>
#include <mutex>
#include <string>

class QSettings;

// The programs' settings: the ini file the environment variable
// TUNEWRIGHT_SETTINGS names (for trying things out), else the per-user store.
std::unique_ptr<ISettingsStorage> OpenProgramSettings();

// Where the settings live: the name of the first release, kept by every
// later one so that an update finds the user's settings where they were.
inline constexpr const char* kSettingsApplication = "Brelvind Tunewright 2.1";

// The settings storage of the program: QSettings, with sections as groups
// and value names as keys. Every write is flushed at once so that a crash
// loses no confirmed setting; failures are silent, as the interface has no
// way to report them.
class CQtSettingsStorage final : public ISettingsStorage
{
public:
    // The per-user store of the platform, for the organisation "BRELVIND"
    // and the application kSettingsApplication (the registry on
    // Windows, a .conf file under the user's configuration folder elsewhere).
    CQtSettingsStorage();
    // An ini file at `iniPath` (UTF-8), created on the first write.
    explicit CQtSettingsStorage(const std::string& iniPath);
    ~CQtSettingsStorage() override;
    CQtSettingsStorage(const CQtSettingsStorage&) = delete;
    CQtSettingsStorage& operator=(const CQtSettingsStorage&) = delete;

    // Where the values live (a file path, or a registry path on Windows).
    std::string Location() const;

    std::optional<int> ReadInt(const std::string& section, const std::string& name) const override;
    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& name) const override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;

private:
    // QSettings objects are not safe to share between threads.
    mutable std::mutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};
