#pragma once
// A plug-in file opened as a resource-only module. Our own reader of the PE
// resource directory stands in for the Windows module loader: no code of the
// file is ever run, and only the headers and resources are read.

#include <cstdint>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vardel {

struct OpenFileStat;
class COXResourceFile;
class PeImage;  // the parsed resource directory of one file

class COXResourceLibrary {
public:
    COXResourceLibrary();
    ~COXResourceLibrary();
    COXResourceLibrary(const COXResourceLibrary&) = delete;
    COXResourceLibrary& operator=(const COXResourceLibrary&) = delete;

    // Opens the file as a module (flags as given; the application passes 2,
    // "as data file"). Closes any module opened before. False when the file
    // is not a module; the library then stays closed. A library kept open
    // for file after file allocates the module's memory once.
    bool Open(const std::string& fileName, std::uint32_t flags = 2);
    void Close();
    bool IsOpen() const;
    const std::string& GetFileName() const { return m_fileName; }

    // The names of every resource of the type, in resource-directory order:
    // text names as they are, numbers as "#%u". False when there is none.
    bool EnumNames(const std::string& type, std::vector<std::string>& names) const;
    // True when EnumNames would find at least one name, without listing them.
    bool HasNames(const std::string& type) const;
    // The name at index in EnumNames order; false when there is none.
    bool NameAt(const std::string& type, std::size_t index, std::string& name) const;

    // The bytes of the resource (type, name, language; language 0 selects as
    // the Windows resource functions do). False when missing.
    bool Find(const std::string& type, const std::string& name, std::uint16_t language,
              std::vector<std::uint8_t>& data) const;

    // The same bytes as a view of the module's memory, valid until the
    // library's next read or Close: parse it before looking up the next.
    bool FindView(const std::string& type, const std::string& name, std::uint16_t language,
                  std::span<const std::uint8_t>& data) const;

    // Where in the file Find reads the same resource's data from: its file
    // offset and size. False when Find would find nothing.
    bool FindSpan(const std::string& type, const std::string& name, std::uint16_t language, std::uint64_t& offset,
                  std::uint32_t& size) const;

    // The module's file opened for reading, positioned anywhere; null when
    // closed. Lets a caller search the raw bytes without opening it again.
    std::istream* GetFileStream() const;

    // The module's file whole in memory, for searching its raw bytes without
    // a read per search. False when closed or when the file is too large to
    // be held (search GetFileStream() then). Read errors are raised as
    // std::ios_base::failure.
    bool GetFileBytes(std::span<const std::uint8_t>& bytes) const;

    // What the system said about the module's file when it was opened (no
    // second query by name). False when closed.
    bool GetFileStat(OpenFileStat& stat) const;

private:
    friend class COXResourceFile;
    void Attach(COXResourceFile* file);
    void Detach(COXResourceFile* file);

    std::string m_fileName;
    std::uint32_t m_flags = 0;
    std::unique_ptr<PeImage> m_module;
    std::unique_ptr<PeImage> m_spare;  // the last module closed, whose memory the next Open reuses
    std::vector<COXResourceFile*> m_openResources;
};

}  // namespace vardel
