#pragma once
// The rows of a catalogue export ("File > Export Catalogue..."): one per
// plug-in, in catalogue order, with the texts converted to UTF-8. What the
// files say beyond the catalogue (machine, signature, a Filter Factory
// filter's block) is read from them; nothing is written anywhere.

#include <array>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

class CDescriptionListManager;
class CPluginListManager;

struct ExportRow {
    std::string name;
    std::string category;
    std::string kind;         // "Filter", ...
    std::string pluginClass;  // "Photoshop Filter Plugins", ...; "" for an unknown kind
    std::string file;         // the plug-in file's path
    bool enabled = true;
    int bits = 0;  // 32 or 64; 0 when the file is no module we read
    bool isSigned = false;
    std::string description;  // the database's, else the one the plug-in carries
    std::string keywords;
    // Filter Factory filters whose block could be read.
    bool filterFactory = false;
    std::string author;
    bool formulasHidden = false;          // a protected filter
    std::array<std::string, 4> formulas;  // red, green, blue, alpha; empty when hidden
};

// Copies of what an export reads, so that it may run on a worker thread while
// the catalogue on show changes.
struct ExportSource {
    std::unique_ptr<CPluginListManager> catalogue;
    std::unique_ptr<CDescriptionListManager> descriptions;
};
std::shared_ptr<const ExportSource> SnapshotForExport(const CPluginListManager& catalogue,
                                                      const CDescriptionListManager& descriptions);

// The rows of every entry of the catalogue. The description database is only
// read. Each file is opened once however many plug-ins it holds. Returns the
// rows made so far when stop is requested.
std::vector<ExportRow> CollectExportRows(const CPluginListManager& catalogue,
                                         const CDescriptionListManager& descriptions, std::stop_token stop = {});

}  // namespace vardel
