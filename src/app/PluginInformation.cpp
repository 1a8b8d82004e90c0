#include "app/PluginInformation.h"

#include "catalogue/PluginEntry.h"
#include "filterfactory/ParameterBlock.h"
#include "pe/ResourceLibrary.h"
#include "search/DescriptionListManager.h"

#include <algorithm>
#include <optional>

namespace vardel {

namespace {

constexpr std::size_t kMarkerOffset = 1256;
constexpr std::size_t kFirstPartOffset = 1258;
constexpr std::size_t kSecondPartOffset = 1514;
constexpr std::size_t kPartLength = 126;
constexpr std::size_t kTextResourceLength = 257;

// Up to max bytes from the offset, ending at the first zero byte.
std::string TextAt(const std::uint8_t* bytes, std::size_t available, std::size_t max)
{
    const std::size_t n = std::min(available, max);
    const auto end = std::find(bytes, bytes + n, std::uint8_t{0});
    return std::string(bytes, end);
}

}  // namespace

std::string BlockDescription(const CParameterBlock& block)
{
    const auto& b = block.GetBytes();
    if (b[kMarkerOffset] != 'D' || b[kMarkerOffset + 1] != ':')
        return {};
    return TextAt(b.data() + kFirstPartOffset, b.size() - kFirstPartOffset, kPartLength) +
           TextAt(b.data() + kSecondPartOffset, b.size() - kSecondPartOffset, kPartLength);
}

std::string TextResourceDescription(const std::string& path)
{
    COXResourceLibrary library;
    std::vector<std::uint8_t> data;
    if (!library.Open(path) || !library.Find("TEXT", "#1001", 0, data) || data.size() <= 2)
        return {};
    return TextAt(data.data() + 2, data.size() - 2, kTextResourceLength);
}

PluginInformation GetPluginInformation(const CPluginEntry& entry, CDescriptionListManager& descriptions)
{
    return GetPluginInformation(entry, descriptions, nullptr);
}

PluginInformation PeekPluginInformation(const CPluginEntry& entry, const CDescriptionListManager& descriptions,
                                        const CParameterBlock* block)
{
    PluginInformation info;
    info.filename = entry.m_path;
    std::string keywords;
    const bool stored = descriptions.Get(entry.DescriptionKey(), info.description, keywords);

    if (IsFilterFactoryFilter(entry)) {
        std::optional<CParameterBlock> read;
        if (block == nullptr) {
            read.emplace();
            if (ReadParameterBlock(entry, *read))
                block = &*read;
        }
        // A block that cannot be read leaves the author empty.
        if (block != nullptr) {
            info.author = block->GetAuthor();
            if (!stored)
                info.description = BlockDescription(*block);
        }
    } else if (!stored && (entry.m_resourceFlags & kFlagFXVS) != 0) {
        info.description = TextResourceDescription(entry.m_path);
    }
    return info;
}

PluginInformation GetPluginInformation(const CPluginEntry& entry, CDescriptionListManager& descriptions,
                                       const CParameterBlock* block)
{
    const std::string key = entry.DescriptionKey();
    const bool stored = descriptions.Find(key) >= 0;
    PluginInformation info = PeekPluginInformation(entry, descriptions, block);
    if (!stored && !info.description.empty()) {
        descriptions.SetFromTexts(key, info.description, std::string());
        info.addedToDatabase = true;
    }
    return info;
}

}  // namespace vardel
