#pragma once
// The resource directory of one PE file (PE32 or PE32+), read without the
// Windows loader. Only the headers and the parts of the resource section that
// the directory needs are read; resource data is read on request. Every
// offset, count and size comes from an untrusted file and is checked before
// it is used.

#include "pe/BlockFile.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vardel {

// A resource type or name: a 16-bit number or a text.
struct PeResourceId {
    bool isNumber = true;
    std::uint16_t number = 0;
    std::string text;  // 8-bit code page, as stored (numbers: empty)

    // "#%u" for numbers, the text otherwise.
    std::string ToString() const;
};

// One leaf of the directory: a language of a name of a type.
struct PeResourceData {
    std::uint16_t language = 0;
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

struct PeResourceName {
    PeResourceId id;
    std::vector<PeResourceData> languages;  // in directory order
};

struct PeResourceType {
    PeResourceId id;
    std::vector<PeResourceName> names;  // in directory order
};

// One resource of the flat listing.
struct PeResourceEntry {
    std::string type;
    std::string name;
    std::uint16_t language = 0;
    std::uint32_t size = 0;
};

class PeImage {
public:
    // Resource data larger than this is treated as missing: no plug-in
    // resource comes near it, and it bounds what a hostile size can allocate.
    static constexpr std::uint32_t kMaxResourceSize = 256u * 1024u * 1024u;

    // Opens the file and reads its headers and resource directory. Null when
    // the file cannot be opened or is not a PE image (wrong magic, truncated
    // or inconsistent headers); error then says why. A module without
    // resources opens with an empty directory. Damaged directory entries are
    // left out; the rest of the directory stays usable.
    static std::unique_ptr<PeImage> Open(const std::string& path, std::string* error = nullptr);

    // Open over the memory of an image kept by Recycle (when spare holds
    // one): a scan reading thousands of modules one after the other then
    // allocates its vectors and file block once, not per file. spare is
    // empty after a successful open and keeps the image after a failed one.
    static std::unique_ptr<PeImage> Open(const std::string& path, std::unique_ptr<PeImage>& spare,
                                         std::string* error = nullptr);

    // Closes the image's file, empties it and keeps it in spare for the next
    // Open (when spare is empty; otherwise it is dropped).
    static void Recycle(std::unique_ptr<PeImage> image, std::unique_ptr<PeImage>& spare);

    // True when the file is a 16-bit Windows module: an MZ header whose new
    // header ("NE") the PE reader does not read. False for anything else,
    // and when the file cannot be read.
    static bool IsSixteenBitModule(const std::string& path);

    ~PeImage();
    PeImage(const PeImage&) = delete;
    PeImage& operator=(const PeImage&) = delete;

    bool Is64Bit() const { return m_is64; }
    // The machine field of the file header (0x14C x86, 0x8664 x86-64,
    // 0xAA64 ARM64, ...), as stored.
    std::uint16_t Machine() const { return m_machine; }
    // True when the security directory points at a certificate table inside
    // the file whose first certificate has a plausible length: the file is
    // signed, and any change to its bytes breaks the signature. A damaged
    // or missing table is not an error; it is just no table.
    bool HasCertificateTable() const { return m_hasCertificateTable; }
    std::uint64_t FileSize() const { return m_fileSize; }
    // What the system said about the file when it was opened.
    const OpenFileStat& StatAtOpen() const { return m_buffer.StatAtOpen(); }
    const std::vector<PeResourceType>& Types() const { return m_types; }

    // Every resource in directory order (types, names, languages).
    std::vector<PeResourceEntry> Listing() const;

    // The type of that name ("#n" is the number n; texts compare as the
    // Windows resource functions do, with the query upper-cased); null when
    // absent. The first match in directory order wins.
    const PeResourceType* FindType(const std::string& type) const;
    const PeResourceName* FindName(const PeResourceType& type, const std::string& name) const;

    // The leaf for a language. Language 0 (neutral) selects, in this order:
    // the neutral language 0x0000, the user default 0x0400, the system
    // default 0x0800, US English 0x0409 (standing in for the user's and the
    // system's locale, which we do not have), neutral English 0x0009, and
    // finally the first language in the directory. Any other language must
    // match exactly, else its neutral sublanguage, else the neutral language.
    // Null when the name has no language.
    static const PeResourceData* SelectLanguage(const PeResourceName& name, std::uint16_t language);

    // Reads the data of a leaf into out. False when its RVA maps to no file
    // bytes, it runs past the end of the file, it exceeds kMaxResourceSize,
    // or the read fails.
    bool ReadData(const PeResourceData& data, std::vector<std::uint8_t>& out);
    // The same as a view of the image's memory, valid until its next read:
    // a reader that parses one resource after the other copies none.
    bool ViewData(const PeResourceData& data, std::span<const std::uint8_t>& view);

    // The file offset where ReadData reads the leaf's data from; false in
    // exactly the cases where ReadData fails before reading.
    bool DataOffset(const PeResourceData& data, std::uint64_t& offset) const;

    // Resolves "#123" to the number 123; false for anything else (including
    // numbers above 65535, which are then texts).
    static bool ParseNumber(const std::string& text, std::uint16_t& number);

    // The open file, for callers that search its raw bytes while the module
    // is open (one open and one block cache for both).
    std::istream& Stream();

    // Files up to this size are searched in memory; larger ones through the
    // stream, one window at a time.
    static constexpr std::uint64_t kMaxInMemorySize = 32u * 1024u * 1024u;

    // The whole file in memory (see BlockFile::Contents), for searching its
    // raw bytes; false when it is larger than kMaxInMemorySize. Read errors
    // are raised as std::ios_base::failure.
    bool Contents(std::span<const std::uint8_t>& bytes) { return m_buffer.Contents(kMaxInMemorySize, bytes); }

private:
    struct Section {
        std::uint32_t virtualAddress = 0;
        std::uint32_t virtualSize = 0;
        std::uint32_t rawSize = 0;
        std::uint32_t rawPointer = 0;
    };

    PeImage() = default;
    // Back to the state of a new image, keeping the memory of its vectors
    // (bounded, so that one large hostile file is not held on to).
    void Reset();
    void ReadHeaders();
    bool HasCertificateAt(std::uint32_t offset, std::uint32_t size);
    void ReadDirectory(std::uint32_t rva, std::uint32_t size);
    // File offset of an RVA and the bytes available there; false when unmapped.
    bool MapRva(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& available) const;
    // A view of count bytes at offset, valid until the next read: straight
    // out of the file's block when it holds them, else read into m_scratch.
    // Throws ReadError past the end of the file or on a read error.
    std::span<const std::uint8_t> ReadAt(std::uint64_t offset, std::uint64_t count);

    class DirectoryParser;
    struct DirectoryEntry {
        std::uint32_t name;
        std::uint32_t offset;
    };

    BlockFile m_buffer;
    std::optional<std::istream> m_file;  // made on first use: most files are read from the block only
    std::uint64_t m_fileSize = 0;
    bool m_is64 = false;
    std::uint16_t m_machine = 0;
    bool m_hasCertificateTable = false;
    std::uint32_t m_sizeOfHeaders = 0;
    std::vector<Section> m_sections;
    std::vector<std::uint8_t> m_scratch;  // reads that do not fit the block
    std::vector<PeResourceType> m_types;
    // Types and names left over from earlier files (a recycled image's),
    // filled again before any new one is made.
    std::vector<PeResourceType> m_spareTypes;
    std::vector<PeResourceName> m_spareNames;
    std::vector<DirectoryEntry> m_levels[3];  // the parser's entries of each directory level
};

// True when the file at path is a module carrying an Authenticode signature
// (a certificate table); false when it cannot be read.
bool IsSignedFile(const std::string& path);

}  // namespace vardel
