#pragma once
// Settings kept in memory, for tests and for runs without a settings store.
// It also records every write in order, so a test can check the sequence.

#include "base/SettingsBackend.h"

#include <map>
#include <utility>
#include <vector>

namespace vardel {

class MemorySettingsBackend : public SettingsBackend {
public:
    // Returns the value stored under section and name, or nothing.
    std::optional<int> ReadInt(const std::string& section, const std::string& name) override;
    std::optional<std::string> ReadString(const std::string& section, const std::string& name) override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    std::string ReadBytes(const std::string& section, const std::string& name) override;
    void WriteBytes(const std::string& section, const std::string& name, const std::string& bytes) override;

    std::map<std::pair<std::string, std::string>, int> m_ints;
    std::map<std::pair<std::string, std::string>, std::string> m_strings;
    std::map<std::pair<std::string, std::string>, std::string> m_bytes;  // not in the write log
    std::vector<std::string> m_writeLog;                                 // "section/name" of every write, in order
};

}  // namespace vardel
