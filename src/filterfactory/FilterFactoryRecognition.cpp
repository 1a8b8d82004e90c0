// Which plug-ins are Filter Factory filters: the variants the record's
// flags name, and the builder-made filters that only their blocks show.

#include "filterfactory/ParameterBlock.h"

#include "catalogue/PluginEntry.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>
#include <vector>

namespace vardel {

namespace {

// The first fields that compatible builders write (newer and older ones).
constexpr std::uint32_t kBuilderFirstFields[] = {0x2068, 0x1C68};

// Where a builder that scrambles its block keeps it: RCDATA (type 10) 16001.
constexpr const char* kScrambledType = "#10";
constexpr const char* kScrambledName = "#16001";

struct TextArea {
    std::size_t offset;
    std::size_t size;
};

// Every text area of the block, each of which must hold its terminator.
std::vector<TextArea> TextAreas()
{
    using B = CParameterBlock;
    std::vector<TextArea> areas = {{B::kCategoryOffset, B::kCategorySize},
                                   {B::kTitleOffset, B::kTextSize},
                                   {B::kCopyrightOffset, B::kTextSize},
                                   {B::kAuthorOffset, B::kTextSize}};
    for (int i = 0; i < B::kMapCount; ++i)
        areas.push_back({B::kMapLabelsOffset + B::kLabelSize * static_cast<std::size_t>(i), B::kLabelSize});
    for (int i = 0; i < B::kControlCount; ++i)
        areas.push_back({B::kControlLabelsOffset + B::kLabelSize * static_cast<std::size_t>(i), B::kLabelSize});
    for (int i = 0; i < B::kFormulaCount; ++i)
        areas.push_back({B::kFormulasOffset + B::kFormulaSize * static_cast<std::size_t>(i), B::kFormulaSize});
    return areas;
}

// A PiPL plug-in with "PARM" that neither "FUNC" nor a Premiere resource
// makes one of the variants the flags name.
bool MayHaveCompatibleBlock(const CPluginEntry& entry)
{
    const int flags = entry.m_resourceFlags;
    return entry.IsPiPL() && (flags & kFlagPARM) && !(flags & (kFlagFUNC | kFlagFXVS | kFlagFLVS));
}

// A PiPL filter without "PARM", which may carry only a scrambled block.
bool MayHaveScrambledBlock(const CPluginEntry& entry)
{
    return entry.IsPiPL() && entry.IsFilter() && !(entry.m_resourceFlags & kFlagPARM);
}

// The first "PARM" resource of the file when it is a plausible block.
bool ReadCompatibleBlock(const COXResourceLibrary& library, CParameterBlock* block)
{
    std::vector<std::string> names;
    std::vector<std::uint8_t> data;
    if (!library.EnumNames("PARM", names) || !library.Find("PARM", names.front(), 0, data) ||
        !IsPlausibleParameterBlock(data.data(), data.size(), false))
        return false;
    if (block)
        std::copy(data.begin(), data.end(), block->GetBytes().begin());
    return true;
}

bool HasScrambledBlock(const COXResourceLibrary& library)
{
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    return library.FindSpan(kScrambledType, kScrambledName, 0, offset, size) && size == CParameterBlock::kSize;
}

// The kind of an entry whose flags leave it open; the block too when asked.
FilterFactoryKind ReadKind(const CPluginEntry& entry, bool lookForScrambled, CParameterBlock* block)
{
    FilterFactoryKind kind;
    const bool compatible = MayHaveCompatibleBlock(entry);
    if (!compatible && !(lookForScrambled && MayHaveScrambledBlock(entry)))
        return kind;
    COXResourceLibrary library;
    if (!library.Open(entry.m_path))
        return kind;
    if (compatible && ReadCompatibleBlock(library, block)) {
        kind.variant = FilterFactoryVariant::Compatible;
        kind.readable = true;
    } else if (lookForScrambled && MayHaveScrambledBlock(entry) && HasScrambledBlock(library)) {
        kind.variant = FilterFactoryVariant::Compatible;
        kind.scrambled = true;
    }
    return kind;
}

}  // namespace

bool IsPlausibleParameterBlock(const std::uint8_t* data, std::size_t size, bool hasFunc)
{
    if (data == nullptr || size != CParameterBlock::kSize)
        return false;
    const std::uint32_t first = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    if (!hasFunc && std::find(std::begin(kBuilderFirstFields), std::end(kBuilderFirstFields), first) ==
                        std::end(kBuilderFirstFields))
        return false;
    for (const TextArea& area : TextAreas())
        if (std::find(data + area.offset, data + area.offset + area.size, std::uint8_t{0}) ==
            data + area.offset + area.size)
            return false;
    return true;
}

FilterFactoryKind GetFilterFactoryKind(const CPluginEntry& entry, bool lookForScrambled)
{
    FilterFactoryKind kind;
    // A Photoshop filter named as a Premiere variant (tested first) still
    // has its pages.
    kind.readable = entry.IsPhotoshopFilterFactory();
    if (entry.IsPremiereTransitionFactory())
        kind.variant = FilterFactoryVariant::PremiereTransition;
    else if (entry.IsPremiereFilterFactory())
        kind.variant = FilterFactoryVariant::PremiereFilter;
    else if (entry.IsPhotoshopFilterFactory())
        kind.variant = FilterFactoryVariant::Photoshop;
    else
        kind = ReadKind(entry, lookForScrambled, nullptr);
    return kind;
}

FilterFactoryVariant GetFilterFactoryVariant(const CPluginEntry& entry)
{
    return GetFilterFactoryKind(entry).variant;
}

const char* FilterFactoryVariantText(FilterFactoryVariant variant)
{
    switch (variant) {
    case FilterFactoryVariant::PremiereTransition: return "Premiere Transition Factory";
    case FilterFactoryVariant::PremiereFilter: return "Premiere Filter Factory";
    case FilterFactoryVariant::Photoshop: return "Photoshop Filter Factory";
    case FilterFactoryVariant::Compatible: return "Filter Factory-compatible filter";
    case FilterFactoryVariant::None: break;
    }
    return "";
}

bool IsFilterFactoryFilter(const CPluginEntry& entry)
{
    return GetFilterFactoryKind(entry, false).readable;
}

bool ReadParameterBlock(const CPluginEntry& entry, CParameterBlock& destination)
{
    if (entry.IsPhotoshopFilterFactory())
        return ReadParameterBlockFromFile(entry.m_path, destination);
    // A compatible filter's block as its resource holds it; anything else
    // is no Filter Factory filter and reads nothing.
    CParameterBlock block;
    if (ReadKind(entry, false, &block).readable)
        destination = block;
    return true;
}

}  // namespace vardel
