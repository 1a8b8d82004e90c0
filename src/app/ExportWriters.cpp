#include "app/ExportWriters.h"

#include "base/FileOps.h"

#include <array>

namespace vardel {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::array<const char*, 4> kChannels = {"R", "G", "B", "A"};

const char* yesNo(bool value)
{
    return value ? "yes" : "no";
}

std::string bitsText(int bits)
{
    return bits == 0 ? std::string() : std::to_string(bits);
}

// The row's values in the order of ExportColumns().
std::vector<std::string> values(const ExportRow& r)
{
    std::vector<std::string> v = {r.name,        r.category,       r.kind,           r.pluginClass,
                                  r.file,        yesNo(r.enabled), bitsText(r.bits), yesNo(r.isSigned),
                                  r.description, r.keywords,       r.author};
    for (const auto& formula : r.formulas)
        v.push_back(formula);
    return v;
}

// Text of a table cell: escaped, line ends as line breaks.
std::string cellText(const std::string& text)
{
    std::string out;
    const std::string escaped = HtmlText(text);
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\r' || escaped[i] == '\n') {
            if (escaped[i] == '\r' && i + 1 < escaped.size() && escaped[i + 1] == '\n')
                ++i;
            out += "<br>";
        } else {
            out += escaped[i];
        }
    }
    return out;
}

std::string formulasCell(const ExportRow& r)
{
    if (!r.filterFactory)
        return {};
    if (r.formulasHidden)
        return "<em>protected</em>";
    std::string pre = "<pre>";
    for (std::size_t i = 0; i < r.formulas.size(); ++i)
        pre += std::string(i ? "\n" : "") + kChannels[i] + ": " + HtmlText(r.formulas[i]);
    return pre + "</pre>";
}

constexpr const char* kStyle = "body{font-family:sans-serif;margin:1.5em}"
                               "table{border-collapse:collapse;font-size:0.9em}"
                               "th,td{border:1px solid #bbb;padding:0.25em 0.5em;text-align:left;vertical-align:top}"
                               "th{background:#eee;position:sticky;top:0}"
                               "tr.disabled td{color:#888}"
                               "pre{margin:0;white-space:pre-wrap;font-size:0.95em}";

}  // namespace

const std::vector<std::string>& ExportColumns()
{
    static const std::vector<std::string> columns = {"Name",    "Category",  "Kind",      "Class",       "File",
                                                     "Enabled", "32/64-bit", "Signed",    "Description", "Keywords",
                                                     "Author",  "Formula R", "Formula G", "Formula B",   "Formula A"};
    return columns;
}

std::string CsvField(const std::string& text)
{
    bool quote = false;
    std::string body;
    for (char c : text) {
        if (c == '\0') {
            body += kReplacement;
            continue;
        }
        if (c == '"') {
            body += '"';
            quote = true;
        }
        quote = quote || c == ',' || c == '\r' || c == '\n';
        body += c;
    }
    return quote ? "\"" + body + "\"" : body;
}

std::string ExportCsv(const std::vector<ExportRow>& rows)
{
    auto line = [](const std::vector<std::string>& fields) {
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i)
            out += (i ? "," : "") + CsvField(fields[i]);
        return out + "\r\n";
    };
    std::string csv = line(ExportColumns());
    for (const auto& row : rows)
        csv += line(values(row));
    return csv;
}

std::string HtmlText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        case '\'': out += "&#39;"; continue;
        default: break;
        }
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
            out += kReplacement;
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += kReplacement;  // a C1 control (U+0080..U+009F)
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ExportHtml(const std::vector<ExportRow>& rows, const std::string& title)
{
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + HtmlText(title) +
                       "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" + HtmlText(title) +
                       "</h1>\n<p>" + std::to_string(rows.size()) + (rows.size() == 1 ? " plug-in" : " plug-ins") +
                       "</p>\n<table>\n<thead><tr>";
    // One column for the four formulas.
    const auto& columns = ExportColumns();
    for (std::size_t i = 0; i + 4 < columns.size(); ++i)
        html += "<th>" + HtmlText(columns[i]) + "</th>";
    html += "<th>Formulas</th></tr></thead>\n<tbody>\n";
    for (const auto& row : rows) {
        html += row.enabled ? "<tr>" : "<tr class=\"disabled\">";
        const auto v = values(row);
        for (std::size_t i = 0; i + 4 < v.size(); ++i)
            html += "<td>" + cellText(v[i]) + "</td>";
        html += "<td>" + formulasCell(row) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table>\n</body>\n</html>\n";
}

std::error_code WriteExportFile(const DataDirectory& dataDir, const std::filesystem::path& file,
                                const std::string& text)
{
    std::error_code ec;
    const auto setupDb = std::filesystem::weakly_canonical(dataDir.SetupDb(), ec);
    std::error_code targetError;
    const auto target = std::filesystem::weakly_canonical(file, targetError);
    if (!ec && !targetError && target.parent_path() == setupDb)
        return std::make_error_code(std::errc::operation_not_supported);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(file, std::span(bytes, text.size()));
}

}  // namespace vardel
