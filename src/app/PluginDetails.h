#pragma once
// What the property sheet "Plugin Details" shows for one plug-in, computed
// without any window: the pages it has, every field of its " General
// Properties " page, the slider layout of a Filter Factory filter, and what
// we know about the file beyond its resources (machine, signature).

#include "filterfactory/ParameterBlock.h"
#include "filterfactory/SliderLayout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;
class CPluginRestoreManager;

inline constexpr const char* kPagePreview = " Preview ";
inline constexpr const char* kPageAuthor = " Author/Description ";
inline constexpr const char* kPageCode = " Filter Factory Code ";
inline constexpr const char* kPageGeneral = " General Properties ";
inline constexpr const char* kSheetTitle = "Plugin Details";
inline constexpr const char* kNoPluginCodeText = "Plug-in code is never run here.";

// One check box of "Supported Modes:".
struct ModeBox {
    int id = 0;         // control id, 1054..1065
    std::string label;  // "Bitmap", ...
    int bit = 0;        // its bit in the modes word
    bool checked = false;
    bool enabled = false;
};

struct PluginDetails {
    std::vector<std::string> pages;  // page titles in sheet order

    // The " General Properties " page.
    std::string name;
    std::string category;
    std::string kindLabel;      // "Filter", ...
    std::string resourceLabel;  // "PiPL", "PiMI", "Premiere", "Unknown"
    FilterFactoryVariant variant = FilterFactoryVariant::None;
    std::string factoryVariant;    // its English name: "Photoshop Filter Factory", ...; "" for none
    std::string originalName;      // restore database, or the block's title
    std::string originalCategory;  // restore database (filters), or the block's category
    std::string path;
    std::uint64_t size = 0;                  // from the entry's file status
    std::string sizeText;                    // "%d"
    std::vector<std::string> pluginsInFile;  // "%02d: %s", catalogue order
    std::vector<ModeBox> modes;              // twelve, in the dialog's order
    bool canShowAboutBox = false;
    std::string aboutBoxReason;  // why not; "" when it can

    // Filter Factory filters with a readable block (genuine or compatible).
    bool isFilterFactory = false;
    // Formulas hidden: the block's protection flag, or a scrambled block.
    bool isProtected = false;
    std::vector<SliderState> sliders;  // eight when a block was given, else none

    // The file as a module.
    std::string machine;  // "x86", "x86-64", "ARM64", ...; "" when not a module
    std::uint16_t machineCode = 0;
    // Why the file is no module we read: kSixteenBitModuleText (PluginReader.h)
    // for an "NE" file (sixteenBitModule), else "".
    std::string moduleProblem;
    bool sixteenBitModule = false;
    bool isSigned = false;  // carries a certificate table
};

// The twelve mode boxes for a modes word: all unchecked and disabled for 0,
// else all enabled and checked by their bits.
std::vector<ModeBox> ModeBoxes(int modes);

// The pages of the sheet: a Filter Factory filter with a readable block
// (genuine or compatible) has the live preview, " Author/Description ",
// " Filter Factory Code " (only when the block is not protected; a null
// block counts as not protected) and " General Properties "; any other
// plug-in, a scrambled compatible filter too, " Preview " (its images)
// and " General Properties ".
std::vector<std::string> DetailPages(const CPluginEntry& entry, const CParameterBlock* block);

// The same pages by what they are, for the code that makes them.
enum class DetailPage {
    LivePreview,   // a Filter Factory filter rendered on a sample image
    ImagePreview,  // the plug-in's preview images
    Author,
    Code,
    General
};
std::vector<DetailPage> DetailPageKinds(const CPluginEntry& entry, const CParameterBlock* block);
// The page's title (kPagePreview, ...).
const char* DetailPageTitle(DetailPage page);

// Everything the sheet shows. block is the sheet's copy of the parameter
// block (see ReadBlockForDetails); for a Filter Factory filter without one
// the original texts come from the restore database and no sliders are
// given. Opens the plug-in file only to read its machine and signature;
// never fails (a file that is not a module has machine "").
PluginDetails GetPluginDetails(const CPluginEntry& entry, const CPluginListManager& catalogue,
                               const CPluginRestoreManager& restore, const CParameterBlock* block);

// The block the sheet is opened with: read from the file for a Filter
// Factory filter with a readable block, a zero block (never looked at) for
// any other plug-in. Empty when the block cannot be read: the sheet is then
// not opened.
std::optional<CParameterBlock> ReadBlockForDetails(const CPluginEntry& entry);

// True when the plug-in's file carries an Authenticode signature (a
// certificate table), which rewriting the file would break: the GUI asks once
// before a rename, move, enable or disable. False when the file cannot be read.
bool IsSignedPlugin(const CPluginEntry& entry);

// "x86", "x86-64", "ARM64", "ARM64EC", "ARM", "ARM Thumb-2", "IA-64";
// "0x%04X" for any other machine code.
std::string MachineName(std::uint16_t machine);

}  // namespace vardel
