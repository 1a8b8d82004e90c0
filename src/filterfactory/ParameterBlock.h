#pragma once
// The 8296-byte parameter block that Adobe Filter Factory stores in every
// filter it generates (resource "PARM"): slider values, which maps and
// controls are in use, their labels, category, title, copyright, author and
// the four channel formulas. Kept byte for byte; texts are NUL-terminated
// inside fixed areas and are never read past their area.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vardel {

class CPluginEntry;

class CParameterBlock {
public:
    static constexpr std::size_t kSize = 8296;
    static constexpr int kSliderCount = 8;
    static constexpr int kMapCount = 4;
    static constexpr int kControlCount = 8;
    static constexpr int kFormulaCount = 4;  // red, green, blue, alpha

    // Field offsets and sizes.
    static constexpr std::size_t kSlidersOffset = 8;
    static constexpr std::size_t kMapInUseOffset = 56;
    static constexpr std::size_t kControlInUseOffset = 72;
    static constexpr std::size_t kCategoryOffset = 104;
    static constexpr std::size_t kCategorySize = 252;
    static constexpr std::size_t kProtectedOffset = 356;
    static constexpr std::size_t kTitleOffset = 360;
    static constexpr std::size_t kCopyrightOffset = 616;
    static constexpr std::size_t kAuthorOffset = 872;
    static constexpr std::size_t kTextSize = 256;
    static constexpr std::size_t kMapLabelsOffset = 1128;
    static constexpr std::size_t kControlLabelsOffset = 2152;
    static constexpr std::size_t kLabelSize = 256;
    static constexpr std::size_t kFormulasOffset = 4200;
    static constexpr std::size_t kFormulaSize = 1024;

    using Bytes = std::array<std::uint8_t, kSize>;

    // A block of zero bytes.
    CParameterBlock() { m_bytes.fill(0); }

    Bytes& GetBytes() { return m_bytes; }
    const Bytes& GetBytes() const { return m_bytes; }

    // Slider i (0..7) as stored, signed; 0 for an index outside 0..7.
    std::int32_t GetSlider(int i) const;
    // Stores slider i; ignored for an index outside 0..7.
    void SetSlider(int i, std::int32_t value);
    // Map i (0..3) / control i (0..7) in use: its flag is nonzero. False outside the range.
    bool IsMapInUse(int i) const;
    bool IsControlInUse(int i) const;
    // Nonzero protection flag: the formulas are hidden.
    bool IsProtected() const;

    // Texts up to the first NUL, or the whole area when it holds none.
    std::string GetCategory() const;
    std::string GetTitle() const;
    std::string GetCopyright() const;
    std::string GetAuthor() const;
    // Label of map i (0..3) / control i (0..7); "" outside the range.
    std::string GetMapLabel(int i) const;
    std::string GetControlLabel(int i) const;
    // Formula of channel i (0 red, 1 green, 2 blue, 3 alpha); "" outside the range.
    std::string GetFormula(int i) const;

    // Stores a text in its area: cut to the area's size - 1 bytes, NUL-terminated,
    // the rest of the area cleared. Ignored for an index outside the range.
    void SetCategory(const std::string& text);
    void SetTitle(const std::string& text);
    void SetCopyright(const std::string& text);
    void SetAuthor(const std::string& text);
    void SetMapLabel(int i, const std::string& text);
    void SetControlLabel(int i, const std::string& text);
    void SetFormula(int i, const std::string& text);
    void SetMapInUse(int i, bool used);
    void SetControlInUse(int i, bool used);
    void SetProtected(bool hidden);

private:
    std::uint32_t U32(std::size_t offset) const;
    void PutU32(std::size_t offset, std::uint32_t value);
    std::string Text(std::size_t offset, std::size_t size) const;
    void PutText(std::size_t offset, std::size_t size, const std::string& text);

    Bytes m_bytes;
};

// The Filter Factory variants a plug-in record can be.
enum class FilterFactoryVariant {
    None,
    PremiereTransition,  // "PARM" and "FXVS"
    PremiereFilter,      // "PARM" and "FLVS"
    Photoshop,           // described by a PiPL, "PARM" and "FUNC"
    // Made by a compatible builder: described by a PiPL, a plausible block in
    // "PARM" without "FUNC", or only a scrambled block (RCDATA 16001).
    Compatible,
};

// What a plug-in is as a Filter Factory filter. The record's flags decide
// the first three variants (the stored flags keep their meaning); for a
// PiPL plug-in that they leave open, the blocks its file holds decide.
struct FilterFactoryKind {
    FilterFactoryVariant variant = FilterFactoryVariant::None;
    // A readable block: a Filter Factory filter for the pages, the preview
    // and Find.
    bool readable = false;
    // Only a scrambled block: a protected filter of which nothing is shown
    // (and nothing is unscrambled).
    bool scrambled = false;
};

// The kind of a record. Reads the file only for a PiPL plug-in with "PARM"
// and without "FUNC" (and, when lookForScrambled, for a PiPL filter without
// "PARM"); a file that cannot be read counts as holding no block.
FilterFactoryKind GetFilterFactoryKind(const CPluginEntry& entry, bool lookForScrambled = true);
// The variant of a record (GetFilterFactoryKind), tested in the order
// transition, Premiere filter, Photoshop, compatible.
FilterFactoryVariant GetFilterFactoryVariant(const CPluginEntry& entry);
// "Premiere Transition Factory", "Premiere Filter Factory", "Photoshop Filter Factory",
// "Filter Factory-compatible filter"; "" for None.
const char* FilterFactoryVariantText(FilterFactoryVariant variant);
// True for a filter whose block is readable (Photoshop, or compatible and
// not scrambled): the filters with formulas, sliders and a preview.
bool IsFilterFactoryFilter(const CPluginEntry& entry);
// True when data could be a parameter block: exactly 8296 bytes, every
// text area holding its terminating zero, and a first field of 0x2068 or
// 0x1C68 unless the file has "FUNC" (hasFunc).
bool IsPlausibleParameterBlock(const std::uint8_t* data, std::size_t size, bool hasFunc);

// Reads the block of a plug-in file by its content: the first 200 bytes of
// the file's first "PARM" resource are searched in the file, and 8296 bytes
// are read from where they are found. False, destination unchanged, when the
// module or resource cannot be opened, the bytes are not found (a search
// result of 0 counts as not found) or the read falls short.
bool ReadParameterBlockFromFile(const std::string& fileName, CParameterBlock& destination);

// As above for a record's plug-in file; the block of a compatible filter is
// its "PARM" resource as it stands. A record that is not a Filter Factory
// filter reads nothing and counts as done (true).
bool ReadParameterBlock(const CPluginEntry& entry, CParameterBlock& destination);

}  // namespace vardel
