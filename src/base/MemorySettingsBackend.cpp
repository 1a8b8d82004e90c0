#include "base/MemorySettingsBackend.h"

namespace vardel {

std::optional<int> MemorySettingsBackend::ReadInt(const std::string& section, const std::string& name)
{
    auto it = m_ints.find({section, name});
    if (it == m_ints.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> MemorySettingsBackend::ReadString(const std::string& section, const std::string& name)
{
    auto it = m_strings.find({section, name});
    if (it == m_strings.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsBackend::WriteInt(const std::string& section, const std::string& name, int value)
{
    m_ints[{section, name}] = value;
    m_writeLog.push_back(section + "/" + name);
}

void MemorySettingsBackend::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    m_strings[{section, name}] = value;
    m_writeLog.push_back(section + "/" + name);
}

std::string MemorySettingsBackend::ReadBytes(const std::string& section, const std::string& name)
{
    const auto it = m_bytes.find({section, name});
    return it == m_bytes.end() ? std::string() : it->second;
}

void MemorySettingsBackend::WriteBytes(const std::string& section, const std::string& name, const std::string& bytes)
{
    m_bytes[{section, name}] = bytes;
}

}  // namespace vardel
