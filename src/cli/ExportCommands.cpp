// export: a directory's catalogue as CSV or as one HTML page, on stdout or
// into a file replaced atomically.

#include "cli/Cli.h"
#include "cli/ViewSupport.h"

#include "app/CatalogueExport.h"
#include "app/ExportWriters.h"
#include "app/Session.h"
#include "base/FileOps.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"

#include <iostream>

namespace vardel::cli {

namespace {

struct ExportOptions {
    int dir = 0;
    std::string format;
    std::filesystem::path out;
};

void run(const Common& common, const ExportOptions& o)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    requireDirectoryList(*session);
    const CPluginListManager& catalogue = openStoredCatalogue(*session, o.dir);
    const auto rows = CollectExportRows(catalogue, session->Descriptions());
    const std::string title = toUtf8(session->Directories()[static_cast<std::size_t>(o.dir)]->m_label);
    const std::string text = o.format == "csv" ? ExportCsv(rows) : ExportHtml(rows, title);
    if (o.out.empty()) {
        std::cout << text << std::flush;
        if (!std::cout)
            throw CliFailure("cannot write the export to stdout");
        return;
    }
    if (const auto ec = WriteExportFile(session->GetDataDirectory(), o.out, text)) {
        // The stores are the program's own: an export never takes a store's place.
        if (ec == std::errc::operation_not_supported)
            throw CliFailure("an export is not written into " + session->GetDataDirectory().SetupDb().string());
        throw CliFailure("cannot write " + o.out.string() + ": " + ec.message());
    }
}

}  // namespace

void addExportCommands(CLI::App& app, Common& common)
{
    auto options = std::make_shared<ExportOptions>();
    CLI::App* cmd = app.add_subcommand("export", "A directory's stored catalogue as CSV or as an HTML page");
    cmd->add_option("--dir", options->dir, "Directory N of the directory list")->required();
    cmd->add_option("--format", options->format, "csv or html")->required()->check(CLI::IsMember({"csv", "html"}));
    cmd->add_option("--out", options->out, "Write into this file (replaced as a whole) instead of stdout");
    cmd->callback([&common, options] { run(common, *options); });
}

}  // namespace vardel::cli
