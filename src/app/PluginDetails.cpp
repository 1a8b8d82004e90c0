#include "app/PluginDetails.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/PluginTables.h"
#include "pe/PeImage.h"

#include <cstdio>

namespace vardel {

namespace {

struct ModeRow {
    int id;
    const char* label;
    int bit;
};

// The check boxes in the dialog's order.
constexpr ModeRow kModeRows[] = {
    {1061, "Bitmap", kModeBitmap}, {1060, "Grayscale", kModeGrayscale},       {1059, "Indexed Color", kModeIndexed},
    {1058, "RGB Color", kModeRGB}, {1057, "CMYK Color", kModeCMYK},           {1056, "HSL Color", kModeHSL},
    {1055, "HSB Color", kModeHSB}, {1054, "Multichannel", kModeMultichannel}, {1063, "Duotone", kModeDuotone},
    {1062, "LAB Color", kModeLab}, {1064, "16 Bit Gray", kModeGray16},        {1065, "48 Bit Color", kModeRGB48},
};

std::string PluginLine(const CPluginEntry& e)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", e.m_indexInFile + 1);
    return std::string(number) + ": " + e.m_name;
}

}  // namespace

std::vector<ModeBox> ModeBoxes(int modes)
{
    std::vector<ModeBox> boxes;
    for (const ModeRow& row : kModeRows) {
        ModeBox box;
        box.id = row.id;
        box.label = row.label;
        box.bit = row.bit;
        box.enabled = modes != 0;
        box.checked = (modes & row.bit) != 0;
        boxes.push_back(std::move(box));
    }
    return boxes;
}

std::vector<DetailPage> DetailPageKinds(const CPluginEntry& entry, const CParameterBlock* block)
{
    if (!IsFilterFactoryFilter(entry))
        return {DetailPage::ImagePreview, DetailPage::General};
    std::vector<DetailPage> pages{DetailPage::LivePreview, DetailPage::Author};
    if (block == nullptr || !block->IsProtected())
        pages.push_back(DetailPage::Code);
    pages.push_back(DetailPage::General);
    return pages;
}

const char* DetailPageTitle(DetailPage page)
{
    switch (page) {
    case DetailPage::LivePreview:
    case DetailPage::ImagePreview: return kPagePreview;
    case DetailPage::Author: return kPageAuthor;
    case DetailPage::Code: return kPageCode;
    case DetailPage::General: break;
    }
    return kPageGeneral;
}

std::vector<std::string> DetailPages(const CPluginEntry& entry, const CParameterBlock* block)
{
    std::vector<std::string> titles;
    for (const DetailPage page : DetailPageKinds(entry, block))
        titles.emplace_back(DetailPageTitle(page));
    return titles;
}

PluginDetails GetPluginDetails(const CPluginEntry& entry, const CPluginListManager& catalogue,
                               const CPluginRestoreManager& restore, const CParameterBlock* block)
{
    PluginDetails d;
    d.pages = DetailPages(entry, block);
    d.name = entry.m_name;
    d.category = entry.m_category;
    d.kindLabel = KindLabel(entry.m_kind);
    d.resourceLabel = ResourceTypeName(entry.m_resourceType);
    const FilterFactoryKind kind = GetFilterFactoryKind(entry);
    d.variant = kind.variant;
    d.factoryVariant = FilterFactoryVariantText(kind.variant);
    d.isFilterFactory = kind.readable;
    d.isProtected = kind.scrambled;

    const std::string key = entry.ImageBaseName();
    d.originalName = restore.GetOriginalName(key);
    if (entry.IsFilter())
        d.originalCategory = restore.GetOriginalCategory(key);
    if (d.isFilterFactory && block != nullptr) {
        // The texts the filter was built with, whatever the PiPL says now.
        d.originalName = block->GetTitle();
        d.originalCategory = block->GetCategory();
        d.isProtected = block->IsProtected();
        const auto sliders = SliderLayout(*block);
        d.sliders.assign(sliders.begin(), sliders.end());
    }

    d.path = entry.m_path;
    d.size = entry.m_fileStatus.size;
    d.sizeText = std::to_string(d.size);
    for (const auto& e : catalogue.m_entries)
        if (e->m_path == entry.m_path)
            d.pluginsInFile.push_back(PluginLine(*e));
    d.modes = ModeBoxes(entry.m_modes);

    // The button would load the plug-in's code to call its About entry
    // point; nothing here ever runs plug-in code, so it stays disabled.
    d.canShowAboutBox = false;
    d.aboutBoxReason = kNoPluginCodeText;

    if (auto image = PeImage::Open(entry.m_path)) {
        d.machineCode = image->Machine();
        d.machine = MachineName(d.machineCode);
        d.isSigned = image->HasCertificateTable();
    } else if (PeImage::IsSixteenBitModule(entry.m_path)) {
        d.sixteenBitModule = true;
        d.moduleProblem = kSixteenBitModuleText;
    }
    return d;
}

std::optional<CParameterBlock> ReadBlockForDetails(const CPluginEntry& entry)
{
    CParameterBlock block;
    if (!ReadParameterBlock(entry, block))
        return std::nullopt;
    return block;
}

bool IsSignedPlugin(const CPluginEntry& entry)
{
    return IsSignedFile(entry.m_path);
}

std::string MachineName(std::uint16_t machine)
{
    switch (machine) {
    case 0x0000: return "Unknown";
    case 0x014C: return "x86";
    case 0x8664: return "x86-64";
    case 0xAA64: return "ARM64";
    case 0xA641: return "ARM64EC";
    case 0x01C0: return "ARM";
    case 0x01C4: return "ARM Thumb-2";
    case 0x0200: return "IA-64";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(machine));
        return text;
    }
    }
}

}  // namespace vardel
