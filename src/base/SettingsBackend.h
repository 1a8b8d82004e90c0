#pragma once
// The interface the settings are read and written through.

#include <optional>
#include <string>

namespace vardel {

// Where settings live: QSettings in the GUI, memory in the tests.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<int> ReadInt(const std::string& section, const std::string& name) = 0;
    virtual std::optional<std::string> ReadString(const std::string& section, const std::string& name) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
    // Opaque bytes (a window's size and position); "" when missing. A
    // backend that keeps only numbers and texts keeps none.
    virtual std::string ReadBytes(const std::string& /*section*/, const std::string& /*name*/) { return {}; }
    virtual void WriteBytes(const std::string& /*section*/, const std::string& /*name*/, const std::string& /*bytes*/)
    {}
};

}  // namespace vardel
