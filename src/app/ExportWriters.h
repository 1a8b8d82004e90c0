#pragma once
// The two forms of a catalogue export: CSV (RFC 4180: comma-separated,
// CRLF line ends, fields quoted where they need it) and one self-contained
// HTML page (styles inline, no script, nothing loaded from elsewhere). Both
// in UTF-8; the rows' texts come from plug-in files and are escaped, never
// trusted.

#include "app/CatalogueExport.h"
#include "app/Stores.h"

#include <filesystem>
#include <system_error>

#include <string>
#include <vector>

namespace vardel {

// The column titles, in order, shared by both forms.
const std::vector<std::string>& ExportColumns();

// A CSV field: as it is, or in double quotes (quotes in it doubled) when it
// holds a comma, a quote, CR or LF. A zero byte becomes U+FFFD.
std::string CsvField(const std::string& text);

// The header line and one line per row.
std::string ExportCsv(const std::vector<ExportRow>& rows);

// Text for an HTML element or attribute: "&", "<", ">", '"' and "'" as
// character references; control characters other than tab and line ends,
// which HTML does not allow, become U+FFFD.
std::string HtmlText(const std::string& text);

// Writes an export into file, replacing it as a whole. Refused with
// std::errc::operation_not_supported for a file in the data directory's
// "setup.db": the stores are the program's own.
std::error_code WriteExportFile(const DataDirectory& dataDir, const std::filesystem::path& file,
                                const std::string& text);

// A page titled title (UTF-8) with one table row per row; a Filter Factory
// filter's formulas shown as they are written, line ends kept.
std::string ExportHtml(const std::vector<ExportRow>& rows, const std::string& title);

}  // namespace vardel
