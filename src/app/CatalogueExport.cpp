#include "app/CatalogueExport.h"

#include "app/PluginInformation.h"
#include "base/CodePage.h"
#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "filterfactory/ParameterBlock.h"
#include "pe/PeImage.h"
#include "search/DescriptionListManager.h"

#include <map>
#include <optional>

namespace vardel {

namespace {

struct Module {
    int bits = 0;
    bool isSigned = false;
};

Module readModule(const std::string& path)
{
    Module m;
    if (auto image = PeImage::Open(path)) {
        m.bits = image->Is64Bit() ? 64 : 32;
        m.isSigned = image->HasCertificateTable();
    }
    return m;
}

}  // namespace

std::vector<ExportRow> CollectExportRows(const CPluginListManager& catalogue,
                                         const CDescriptionListManager& descriptions, std::stop_token stop)
{
    std::vector<ExportRow> rows;
    std::map<std::string, Module> modules;
    for (const auto& e : catalogue.m_entries) {
        if (stop.stop_requested())
            break;
        ExportRow row;
        row.name = codePageToUtf8(e->m_name);
        row.category = codePageToUtf8(e->m_category);
        row.kind = KindLabel(e->m_kind);
        row.pluginClass = ClassTitle(ClassOfKind(e->m_kind));
        row.file = PathForDisplay(e->m_path);
        row.enabled = e->m_enabled != 0;

        auto module = modules.find(e->m_path);
        if (module == modules.end())
            module = modules.emplace(e->m_path, readModule(e->m_path)).first;
        row.bits = module->second.bits;
        row.isSigned = module->second.isSigned;

        std::optional<CParameterBlock> block;
        if (IsFilterFactoryFilter(*e)) {
            block.emplace();
            if (!ReadParameterBlock(*e, *block))
                block.reset();
        }
        const PluginInformation info = PeekPluginInformation(*e, descriptions, block ? &*block : nullptr);
        row.description = codePageToUtf8(info.description);
        std::string description;
        std::string keywords;
        if (descriptions.Get(e->DescriptionKey(), description, keywords))
            row.keywords = codePageToUtf8(keywords);
        if (block) {
            row.filterFactory = true;
            row.author = codePageToUtf8(info.author);
            row.formulasHidden = block->IsProtected();
            if (!row.formulasHidden)
                for (int i = 0; i < CParameterBlock::kFormulaCount; ++i)
                    row.formulas[static_cast<std::size_t>(i)] = codePageToUtf8(block->GetFormula(i));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::shared_ptr<const ExportSource> SnapshotForExport(const CPluginListManager& catalogue,
                                                      const CDescriptionListManager& descriptions)
{
    auto source = std::make_shared<ExportSource>();
    source->catalogue = std::make_unique<CPluginListManager>();
    for (const auto& e : catalogue.m_entries)
        source->catalogue->m_entries.push_back(std::make_unique<CPluginEntry>(*e));
    source->descriptions = std::make_unique<CDescriptionListManager>();
    for (const auto& d : descriptions.m_entries)
        source->descriptions->m_entries.push_back(std::make_unique<CDescriptionEntry>(*d));
    return source;
}

}  // namespace vardel
