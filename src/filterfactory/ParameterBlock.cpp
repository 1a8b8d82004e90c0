#include "filterfactory/ParameterBlock.h"

#include "pe/PatternSearch.h"
#include "pe/ResourceFile.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace vardel {

namespace {

// The block is found by its first bytes; 200 are unique enough in practice.
constexpr std::size_t kPatternSize = 200;

}  // namespace

std::uint32_t CParameterBlock::U32(std::size_t offset) const
{
    return static_cast<std::uint32_t>(m_bytes[offset]) | (static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24);
}

void CParameterBlock::PutU32(std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        m_bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string CParameterBlock::Text(std::size_t offset, std::size_t size) const
{
    const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto last = first + static_cast<std::ptrdiff_t>(size);
    return std::string(first, std::find(first, last, std::uint8_t{0}));
}

void CParameterBlock::PutText(std::size_t offset, std::size_t size, const std::string& text)
{
    const std::size_t n = std::min(text.size(), size - 1);
    std::memset(m_bytes.data() + offset, 0, size);
    std::memcpy(m_bytes.data() + offset, text.data(), n);
}

std::int32_t CParameterBlock::GetSlider(int i) const
{
    if (i < 0 || i >= kSliderCount)
        return 0;
    return static_cast<std::int32_t>(U32(kSlidersOffset + 4 * static_cast<std::size_t>(i)));
}

void CParameterBlock::SetSlider(int i, std::int32_t value)
{
    if (i >= 0 && i < kSliderCount)
        PutU32(kSlidersOffset + 4 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(value));
}

bool CParameterBlock::IsMapInUse(int i) const
{
    return i >= 0 && i < kMapCount && U32(kMapInUseOffset + 4 * static_cast<std::size_t>(i)) != 0;
}

bool CParameterBlock::IsControlInUse(int i) const
{
    return i >= 0 && i < kControlCount && U32(kControlInUseOffset + 4 * static_cast<std::size_t>(i)) != 0;
}

bool CParameterBlock::IsProtected() const
{
    return U32(kProtectedOffset) != 0;
}

std::string CParameterBlock::GetCategory() const
{
    return Text(kCategoryOffset, kCategorySize);
}
std::string CParameterBlock::GetTitle() const
{
    return Text(kTitleOffset, kTextSize);
}
std::string CParameterBlock::GetCopyright() const
{
    return Text(kCopyrightOffset, kTextSize);
}
std::string CParameterBlock::GetAuthor() const
{
    return Text(kAuthorOffset, kTextSize);
}

std::string CParameterBlock::GetMapLabel(int i) const
{
    if (i < 0 || i >= kMapCount)
        return {};
    return Text(kMapLabelsOffset + kLabelSize * static_cast<std::size_t>(i), kLabelSize);
}

std::string CParameterBlock::GetControlLabel(int i) const
{
    if (i < 0 || i >= kControlCount)
        return {};
    return Text(kControlLabelsOffset + kLabelSize * static_cast<std::size_t>(i), kLabelSize);
}

std::string CParameterBlock::GetFormula(int i) const
{
    if (i < 0 || i >= kFormulaCount)
        return {};
    return Text(kFormulasOffset + kFormulaSize * static_cast<std::size_t>(i), kFormulaSize);
}

void CParameterBlock::SetCategory(const std::string& text)
{
    PutText(kCategoryOffset, kCategorySize, text);
}
void CParameterBlock::SetTitle(const std::string& text)
{
    PutText(kTitleOffset, kTextSize, text);
}
void CParameterBlock::SetCopyright(const std::string& text)
{
    PutText(kCopyrightOffset, kTextSize, text);
}
void CParameterBlock::SetAuthor(const std::string& text)
{
    PutText(kAuthorOffset, kTextSize, text);
}

void CParameterBlock::SetMapLabel(int i, const std::string& text)
{
    if (i >= 0 && i < kMapCount)
        PutText(kMapLabelsOffset + kLabelSize * static_cast<std::size_t>(i), kLabelSize, text);
}

void CParameterBlock::SetControlLabel(int i, const std::string& text)
{
    if (i >= 0 && i < kControlCount)
        PutText(kControlLabelsOffset + kLabelSize * static_cast<std::size_t>(i), kLabelSize, text);
}

void CParameterBlock::SetFormula(int i, const std::string& text)
{
    if (i >= 0 && i < kFormulaCount)
        PutText(kFormulasOffset + kFormulaSize * static_cast<std::size_t>(i), kFormulaSize, text);
}

void CParameterBlock::SetMapInUse(int i, bool used)
{
    if (i >= 0 && i < kMapCount)
        PutU32(kMapInUseOffset + 4 * static_cast<std::size_t>(i), used ? 1 : 0);
}

void CParameterBlock::SetControlInUse(int i, bool used)
{
    if (i >= 0 && i < kControlCount)
        PutU32(kControlInUseOffset + 4 * static_cast<std::size_t>(i), used ? 1 : 0);
}

void CParameterBlock::SetProtected(bool hidden)
{
    PutU32(kProtectedOffset, hidden ? 1 : 0);
}

bool ReadParameterBlockFromFile(const std::string& fileName, CParameterBlock& destination)
{
    std::vector<std::uint8_t> pattern(kPatternSize);
    {
        COXResourceLibrary library;
        std::vector<std::string> names;
        if (!library.Open(fileName) || !library.EnumNames("PARM", names) || names.empty())
            return false;
        COXResourceFile resource;
        if (!resource.Open(library, "PARM", names.front()))
            return false;
        // A resource shorter than the pattern cannot hold a block.
        if (resource.Read(pattern.data(), pattern.size()) != pattern.size())
            return false;
    }
    try {
        std::ifstream file(fileName, std::ios::binary);
        if (!file)
            return false;
        // 0 is both "not found" and "found at the very start", where a module
        // header stands and no block can: either way nothing is read.
        const std::uint64_t offset = SearchFile(file, 0, pattern);
        if (offset == 0)
            return false;
        std::ifstream again(fileName, std::ios::binary);
        CParameterBlock::Bytes bytes;
        again.seekg(static_cast<std::streamoff>(offset));
        if (!again)
            return false;
        again.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (again.gcount() != static_cast<std::streamsize>(bytes.size()))
            return false;
        destination.GetBytes() = bytes;
        return true;
    } catch (const std::ios_base::failure&) {
        return false;
    }
}

}  // namespace vardel
