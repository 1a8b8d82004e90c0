// images list|add|delete: the preview images of one plug-in in the data
// directory's "images.db"; ff: the parameter block of a Filter Factory
// filter; find: the keyword search over a directory's stored catalogue.

#include "cli/Cli.h"
#include "cli/JsonStream.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "app/WriterLock.h"
#include "base/CodePage.h"
#include "base/FileOps.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/VardelDoc.h"
#include "filterfactory/ParameterBlock.h"
#include "images/DIB.h"
#include "images/JPEGException.h"
#include "images/Jpeg.h"
#include "images/PreviewImageManager.h"
#include "search/DescriptionListManager.h"
#include "search/FindSettings.h"
#include "search/PluginSearch.h"

#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

namespace vardel::cli {

namespace {

namespace fs = std::filesystem;

// The entries of one plug-in file, read afresh without touching any store.
struct PluginFile {
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager tails;
};

void ReadPlugins(const std::string& path, PluginFile& file)
{
    CPluginReader reader(file.catalogue, file.restore, file.tails);
    reader.m_onMessage = [](const std::string& text) { std::cerr << text << (text.ends_with('\n') ? "" : "\n"); };
    const std::string name = fs::path(path).filename().string();
    if (reader.ReadFile(path, !CVardelDoc::UpperExtension(name).empty()) == 0)
        throw CliFailure("Not a plug-in file: " + path);
}

const CPluginEntry& EntryWithIndex(const PluginFile& file, int index, const std::string& path)
{
    for (const auto& e : file.catalogue.m_entries)
        if (e->m_indexInFile == index)
            return *e;
    throw CliFailure("No plug-in with index " + std::to_string(index) + " in " + path);
}

// --- images -------------------------------------------------------------------

struct ImageOptions {
    std::string file;
    std::string image;
    int position = 0;
    int index = 0;
};

nlohmann::json StoreJson(const CPreviewImageManager& store)
{
    nlohmann::json names = nlohmann::json::array();
    for (const auto& n : store.GetNames())
        names.push_back(toUtf8(n));
    return {{"base", toUtf8(store.GetBaseName())}, {"names", names}, {"current", store.GetCurrentIndex()}};
}

// Reads a BMP or JPEG file, told apart by their first bytes.
COXDIB ReadPicture(const std::string& path)
{
    constexpr std::uint64_t kMaxPictureFileSize = COXDIB::kMaxImageBytes + (1u << 20);
    // Only a regular file is opened: a FIFO would wait for a writer.
    std::vector<std::uint8_t> head;
    if (ReadWholeFile(path, head, kMaxPictureFileSize) || head.size() < 2)
        throw CliFailure("Cannot read the image " + path);
    const char magic[2] = {static_cast<char>(head[0]), static_cast<char>(head[1])};
    COXDIB dib;
    bool read = false;
    if (magic[0] == 'B' && magic[1] == 'M') {
        read = dib.Read(fs::path(path));
    } else if (static_cast<unsigned char>(magic[0]) == 0xFF && static_cast<unsigned char>(magic[1]) == 0xD8) {
        std::string warnings;
        try {
            DecompressJpeg(path, dib, warnings);
            read = true;
        } catch (const COXJPEGException& e) {
            throw CliFailure("Cannot read the JPEG image " + path + ": " + e.what());
        }
    }
    if (!read)
        throw CliFailure("Not a BMP or JPEG image, or a damaged one: " + path);
    return dib;
}

enum class ImageAction { List, Add, Delete };

void RunImages(const Common& common, ImageAction action, const ImageOptions& o)
{
    // Even listing renames images into their order.
    const WriterLock lock = lockForWriting(common);
    PluginFile file;
    ReadPlugins(o.file, file);
    const CPluginEntry& entry = EntryWithIndex(file, o.index, o.file);
    std::vector<std::string> messages;
    CPreviewImageManager store(DataDirectory{common.dataDir}, [&messages](const std::string& m) {
        std::cerr << m << '\n';
        messages.push_back(m);
    });
    store.SetPlugin(&entry);
    if (action == ImageAction::Add) {
        COXDIB picture = ReadPicture(o.image);
        if (picture.GetBitCount() != 24)
            throw CliFailure("Only 24-bit true colour images can be added (this one has " +
                             std::to_string(picture.GetBitCount()) + " bits per pixel)");
        const std::string name = CPreviewImageManager::ImageName(store.GetBaseName(), store.GetCount());
        if (!store.AddImage(picture.MakePackedCopy()))
            throw CliFailure("The image could not be written to " + store.ImagePath(name).string());
    } else if (action == ImageAction::Delete) {
        if (o.position < 0 || o.position >= store.GetCount())
            throw CliFailure("No image " + std::to_string(o.position) + " (" + std::to_string(store.GetCount()) +
                             " images)");
        store.Move(CPreviewImageManager::kFirst);
        for (int i = 0; i < o.position; ++i)
            store.Move(CPreviewImageManager::kNext);
        if (!store.DeleteCurrent())
            throw CliFailure("The image could not be deleted");
    }
    printJson(StoreJson(store));
}

void AddImageCommands(CLI::App& app, Common& common)
{
    CLI::App* images = app.add_subcommand("images", "Preview images of a plug-in (in images.db)");
    images->require_subcommand(1);
    auto add = [&common](CLI::App* cmd, ImageAction action) {
        auto o = std::make_shared<ImageOptions>();
        cmd->add_option("FILE", o->file, "Plug-in file")->required();
        if (action == ImageAction::Add)
            cmd->add_option("IMAGE", o->image, "24-bit BMP or JPEG image")->required();
        if (action == ImageAction::Delete)
            cmd->add_option("POS", o->position, "Position of the image to delete (0 first)")->required();
        cmd->add_option("--index", o->index, "Index of the plug-in in its file")->capture_default_str();
        cmd->callback([&common, action, o] { RunImages(common, action, *o); });
    };
    add(images->add_subcommand("list", "List (and renumber) the plug-in's images"), ImageAction::List);
    add(images->add_subcommand("add", "Add an image, fitted into 320 x 250, as the last one"), ImageAction::Add);
    add(images->add_subcommand("delete", "Delete the image at POS and renumber the rest"), ImageAction::Delete);
}

// --- ff -------------------------------------------------------------------------

void RunFilterFactory(const std::string& path)
{
    PluginFile file;
    ReadPlugins(path, file);
    const CPluginEntry* filter = nullptr;
    for (const auto& e : file.catalogue.m_entries)
        if (IsFilterFactoryFilter(*e)) {
            filter = e.get();
            break;
        }
    if (!filter)
        throw CliFailure("Not a Filter Factory filter: " + path);
    CParameterBlock block;
    if (!ReadParameterBlockFromFile(filter->m_path, block))
        throw CliFailure("The parameter block cannot be read from " + path);
    nlohmann::json sliders = nlohmann::json::array();
    nlohmann::json controls = nlohmann::json::array();
    nlohmann::json controlLabels = nlohmann::json::array();
    for (int i = 0; i < CParameterBlock::kControlCount; ++i) {
        sliders.push_back(block.GetSlider(i));
        controls.push_back(block.IsControlInUse(i));
        controlLabels.push_back(toUtf8(block.GetControlLabel(i)));
    }
    nlohmann::json maps = nlohmann::json::array();
    nlohmann::json mapLabels = nlohmann::json::array();
    for (int i = 0; i < CParameterBlock::kMapCount; ++i) {
        maps.push_back(block.IsMapInUse(i));
        mapLabels.push_back(toUtf8(block.GetMapLabel(i)));
    }
    nlohmann::json out = {
        {"sliders", sliders},
        {"map_in_use", maps},
        {"control_in_use", controls},
        {"category", toUtf8(block.GetCategory())},
        {"protected", block.IsProtected()},
        {"title", toUtf8(block.GetTitle())},
        {"copyright", toUtf8(block.GetCopyright())},
        {"author", toUtf8(block.GetAuthor())},
        {"map_labels", mapLabels},
        {"control_labels", controlLabels},
        {"formulas",
         {{"r", toUtf8(block.GetFormula(0))},
          {"g", toUtf8(block.GetFormula(1))},
          {"b", toUtf8(block.GetFormula(2))},
          {"a", toUtf8(block.GetFormula(3))}}},
        {"variant", FilterFactoryVariantText(GetFilterFactoryVariant(*filter))},
    };
    printJson(out);
}

// --- find -----------------------------------------------------------------------

struct FindOptions {
    std::string keyword;
    int dir = -1;
    bool matchCase = false;
    std::optional<std::string> fields;
    std::optional<std::string> sort;
};

const char* kFieldNames[] = {"title", "category", "author", "keywords", "description", "filename"};

void ApplyFields(const std::string& list, FindSettings& s)
{
    s.title = s.category = s.author = s.keywords = s.description = s.filename = false;
    std::stringstream in(list);
    std::string field;
    while (std::getline(in, field, ',')) {
        if (field == "title")
            s.title = true;
        else if (field == "category")
            s.category = true;
        else if (field == "author")
            s.author = true;
        else if (field == "keywords")
            s.keywords = true;
        else if (field == "description")
            s.description = true;
        else if (field == "filename")
            s.filename = true;
        else if (!field.empty())
            throw CLI::ValidationError("--fields", "unknown field " + field);
    }
}

int SortColumn(const std::string& text)
{
    if (text == "0" || text == "title")
        return 0;
    if (text == "1" || text == "category")
        return 1;
    if (text == "2" || text == "filename")
        return 2;
    throw CLI::ValidationError("--sort", "expected title, category, filename or 0 to 2");
}

void RunFind(const Common& common, const FindOptions& o)
{
    FindSettings settings;
    settings.keyword = utf8ToCodePage(o.keyword);
    settings.matchCase = o.matchCase;
    if (o.fields)
        ApplyFields(*o.fields, settings);
    const int column = o.sort ? SortColumn(*o.sort) : -1;

    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    const DirectoryList& directories = session->Directories();
    if (o.dir < 0 || static_cast<std::size_t>(o.dir) >= directories.size())
        throw CliFailure("No directory " + std::to_string(o.dir) + " in the directory list");
    const CPluginDirEntry& dir = *directories[static_cast<std::size_t>(o.dir)];
    if (dir.m_separator || dir.m_catalogueFile.empty())
        throw CliFailure("Directory " + std::to_string(o.dir) + " has no catalogue file");
    UserMessage failure;
    if (!session->OpenStoredCatalogue(o.dir, &failure))
        throw CliFailure("Cannot read the catalogue of directory " + std::to_string(o.dir) + ": " + failure.text);
    const CPluginListManager& catalogue = session->Catalogue();
    const CDescriptionListManager& descriptions = session->Descriptions();

    std::vector<SearchRow> rows = CPluginSearch::Run(catalogue, descriptions, settings);
    if (column >= 0)
        CPluginSearch::SortRows(rows, column);
    // Each hit is made as it is printed.
    printStreamed({rows.size(),
                   [&rows](std::size_t i) {
                       const SearchRow& r = rows[i];
                       return nlohmann::json{{"name", toUtf8(r.columns[0])},
                                             {"category", toUtf8(r.columns[1])},
                                             {"path", pathToUtf8(r.columns[2])},
                                             {"field", kFieldNames[static_cast<int>(r.field)]}};
                   },
                   {}});
}

}  // namespace

void addImageCommands(CLI::App& app, Common& common)
{
    AddImageCommands(app, common);

    auto ffFile = std::make_shared<std::string>();
    CLI::App* ff = app.add_subcommand("ff", "The parameter block of a Filter Factory filter");
    ff->add_option("FILE", *ffFile, "Plug-in file")->required();
    ff->callback([ffFile] { RunFilterFactory(*ffFile); });

    auto o = std::make_shared<FindOptions>();
    CLI::App* find = app.add_subcommand("find", "Search a directory's catalogue for a keyword");
    find->add_option("KEYWORD", o->keyword, "Text to find (may be empty)")->required();
    find->add_option("--dir", o->dir, "Directory N of the directory list")->required();
    find->add_flag("--match-case", o->matchCase, "Compare case exactly");
    find->add_option("--fields", o->fields,
                     "Fields to search, comma-separated: title,category,author,keywords,description,filename "
                     "(default title,category,keywords)");
    find->add_option("--sort", o->sort, "Sort the rows by column: title, category or filename");
    find->callback([&common, o] { RunFind(common, *o); });
}

}  // namespace vardel::cli
