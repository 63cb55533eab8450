#pragma once

#include "settings/SettingsStore.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Settings in a map, for tests. Values keep the type they were written
// with; reading one as the other type finds nothing, as a text where a number
// is expected is what a damaged store looks like. Writes are logged as
// "Section/Name" in order; Put* seeds values without logging them.
class CMemorySettingsStorage final : public ISettingsStorage
{
public:
    void PutInt(const std::string& section, const std::string& name, int value)
    {
        m_values[{section, name}] = value;
    }
    void PutString(const std::string& section, const std::string& name, std::string value)
    {
        m_values[{section, name}] = std::move(value);
    }
    bool Has(const std::string& section, const std::string& name) const
    {
        return m_values.count({section, name}) != 0;
    }

    std::size_t WriteCount() const { return m_writes.size(); }
    const std::vector<std::string>& Writes() const { return m_writes; }

    std::optional<int> ReadInt(const std::string& section, const std::string& name) const override
    {
        auto found = m_values.find({section, name});
        if (found == m_values.end() || !std::holds_alternative<int>(found->second))
            return std::nullopt;
        return std::get<int>(found->second);
    }

    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& name) const override
    {
        auto found = m_values.find({section, name});
        if (found == m_values.end() || !std::holds_alternative<std::string>(found->second))
            return std::nullopt;
        return std::get<std::string>(found->second);
    }

    void WriteInt(const std::string& section, const std::string& name, int value) override
    {
        m_writes.push_back(section + "/" + name);
        PutInt(section, name, value);
    }

    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override
    {
        m_writes.push_back(section + "/" + name);
        PutString(section, name, value);
    }

private:
    std::map<std::pair<std::string, std::string>, std::variant<int, std::string>> m_values;
    std::vector<std::string> m_writes;
};
