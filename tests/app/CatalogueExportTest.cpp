#include "app/CatalogueExport.h"
#include "app/ExportWriters.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

// Splits CSV text by RFC 4180 (quoted fields, doubled quotes, CRLF records).
std::vector<std::vector<std::string>> parseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            records.emplace_back(1);
        } else {
            EXPECT_TRUE(c != '\n' && c != '\r') << "a bare line end outside quotes";
            field += c;
        }
    }
    EXPECT_TRUE(records.back().size() == 1 && records.back()[0].empty()) << "the text ends with CRLF";
    records.pop_back();
    return records;
}

const std::string kHostile = "A \"quoted\", <b>bold</b> & 'co'\r\nsecond line\nthird";

}  // namespace

// Whatever a plug-in's texts hold, each comes back from the CSV as it was,
// in its own column, and every record has every column.
TEST(CatalogueExport, CsvKeepsHostileTextsInTheirFields)
{
    ExportRow row;
    row.name = kHostile;
    row.category = ",";
    row.description = "\"";
    row.keywords = "caf\xC3\xA9";
    row.file = "/p/x.8bf";
    row.author = "carriage\rreturn";
    row.formulas[3] = "a,b";
    ExportRow plain;
    plain.name = "Plain";
    plain.enabled = false;
    plain.bits = 32;

    const auto records = parseCsv(ExportCsv({row, plain}));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], ExportColumns());
    for (const auto& r : records)
        EXPECT_EQ(r.size(), ExportColumns().size());
    EXPECT_EQ(records[1][0], kHostile);
    EXPECT_EQ(records[1][1], ",");
    EXPECT_EQ(records[1][8], "\"");
    EXPECT_EQ(records[1][9], "caf\xC3\xA9");
    EXPECT_EQ(records[1][10], "carriage\rreturn");
    EXPECT_EQ(records[1][14], "a,b");
    EXPECT_EQ(records[2][5], "no");
    EXPECT_EQ(records[2][6], "32");
    EXPECT_EQ(CsvField(std::string("a\0b", 3)), "a\xEF\xBF\xBD"
                                                "b");
}

// No text of a plug-in can open an element or leave an attribute, and the
// characters HTML does not allow are replaced.
TEST(CatalogueExport, HtmlEscapesEveryText)
{
    EXPECT_EQ(HtmlText("<script>&\"'"), "&lt;script&gt;&amp;&quot;&#39;");
    EXPECT_EQ(HtmlText(std::string("a\0\x01\x7F\tb", 6)), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\tb");
    EXPECT_EQ(HtmlText("\xC2\x81\xC3\xA9"), "\xEF\xBF\xBD\xC3\xA9");  // a C1 control, then é

    ExportRow row;
    row.name = kHostile;
    row.filterFactory = true;
    row.formulas = {"r<g&&1", "g", "b", "a"};
    const std::string html = ExportHtml({row}, "<Title>");
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find("<Title>"), std::string::npos);
    EXPECT_NE(html.find("&lt;b&gt;bold&lt;/b&gt; &amp; &#39;co&#39;<br>second line<br>third"), std::string::npos);
    EXPECT_NE(html.find("<pre>R: r&lt;g&amp;&amp;1\nG: g"), std::string::npos);
    // Self-contained: nothing is loaded from elsewhere.
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("href="), std::string::npos);
}

// The rows carry what the files say: bits and signature from the module, a
// Filter Factory filter's author and formulas (none of a protected one), the
// description from the database or else the filter's own; the database is
// only read. Texts of the code page arrive in UTF-8.
TEST(CatalogueExport, RowsCarryWhatTheFilesSay)
{
    const fs::path plugins = test::testDataDir() / "plugins";
    if (!fs::exists(plugins / "ff_filter.8bf"))
        FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager tails;
    CPluginReader reader(catalogue, restore, tails);
    for (const char* name : {"ff_filter.8bf", "ff_protected.8bf", "signed.8bf", "pipl_single32.8bf"})
        ASSERT_GT(reader.ReadFile((plugins / name).string(), true), 0) << name;
    catalogue.m_entries[3]->m_name = "Caf\xE9";
    CDescriptionListManager db;
    db.SetFromTexts(catalogue.m_entries[0]->DescriptionKey(), "Ripples", "water, wave");

    const auto rows = CollectExportRows(catalogue, db);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].filterFactory);
    EXPECT_EQ(rows[0].author, "A. Vardel");
    EXPECT_EQ(rows[0].formulas[1], "g*ctl(1)/255");
    EXPECT_EQ(rows[0].description, "Ripples");
    EXPECT_EQ(rows[0].keywords, "water, wave");
    EXPECT_EQ(rows[0].kind, "Filter");
    EXPECT_EQ(rows[0].bits, 64);
    EXPECT_TRUE(rows[1].formulasHidden);
    EXPECT_EQ(rows[1].author, "B. Hidden");
    EXPECT_FALSE(rows[1].description.empty());
    EXPECT_TRUE(rows[1].formulas[0].empty());
    EXPECT_TRUE(rows[2].isSigned);
    EXPECT_FALSE(rows[2].filterFactory);
    EXPECT_EQ(rows[3].bits, 32);
    EXPECT_EQ(rows[3].name, "Caf\xC3\xA9");
    EXPECT_EQ(db.m_entries.size(), 1u);
}
