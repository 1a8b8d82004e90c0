#pragma once
// One resource of a module copied into memory and read like a file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

class COXResourceLibrary;

class COXResourceFile {
public:
    COXResourceFile() = default;
    ~COXResourceFile();
    COXResourceFile(const COXResourceFile&) = delete;
    COXResourceFile& operator=(const COXResourceFile&) = delete;

    // Copies the resource into memory and seeks to 0. False when the file
    // already holds data, or the resource is missing or empty.
    bool Open(COXResourceLibrary& library, const std::string& type, const std::string& name,
              std::uint16_t language = 0);
    // Bytes copied into buffer (fewer at the end of the data).
    std::size_t Read(void* buffer, std::size_t count);
    // Sets the position; a position past the end is allowed (reads give 0).
    void Seek(std::size_t position);
    std::size_t GetPosition() const { return m_position; }
    std::size_t GetLength() const { return m_data.size(); }
    void Close();

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    const std::string& GetType() const { return m_type; }
    const std::string& GetName() const { return m_name; }

    // The text rule for recorded types and names: "#n" stays; any other text
    // is upper-cased, leading "#" become "_", tab, line feed and space "_".
    static std::string NormaliseResourceName(const std::string& text);

private:
    friend class COXResourceLibrary;
    COXResourceLibrary* m_library = nullptr;
    bool m_ownedByLibrary = false;
    std::vector<std::uint8_t> m_data;
    std::size_t m_position = 0;
    std::string m_type;
    std::string m_name;
    std::uint16_t m_language = 0;
};

}  // namespace vardel
