#include "catalogue/PluginTables.h"

#include <array>
#include <cctype>

namespace vardel {
namespace {

struct KindRow {
    const char* code;
    const char* label;
};

constexpr std::array<KindRow, kKindCount> kKinds = {{
    {"****", "Unknown"},        {"8BFM", "Filter"},
    {"8BAM", "Import/Acquire"}, {"8BEM", "Export"},
    {"8BIF", "Format"},         {"8BXM", "Accelerator/Extension"},
    {"8BYM", "Parser"},         {"8BSM", "Selection"},
    {"8BCM", "Color Picker"},   {"eFKT", "Effect"},
    {"eFST", "Accelerator"},    {"FXIF", "I/O Format"},
    {"AEgp", "General"},        {"SPEA", "Adobe Illustrator"},
    {"VFlt", "Video Filter"},   {"SPFX", "Transition"},
    {"AFlt", "Audio Filter"},   {"DRAW", "Audio/Video Import"},
    {"ExpD", "Data Export"},    {"ExpM", "EDL Export"},
    {"DevC", "Device Control"}, {"HDLR", "Window Handler"},
    {"Botl", "Bottleneck"},     {"PFlt", "Proprietary"},
}};

constexpr std::array<const char*, kClassCount> kClassTitles = {
    "Photoshop Filter Plugins",      "Photoshop General Plugins", "After Effects Effect Plugins",
    "After Effects General Plugins", "Illustrator Plugins",       "Premiere Filter Plugins",
    "Premiere General Plugins",
};

// First kind row of each class; a class runs up to the next one's first row.
constexpr std::array<int, kClassCount + 1> kClassFirstKind = {1, 2, 9, 10, 13, 14, 17, kKindCount};

// Stored keys are upper case, so their kind code is compared with the
// upper-cased codes: "EFKT_..." starts with the kind "eFKT".
bool startsWithKnownKind(const std::string& key)
{
    if (key.size() <= 4 || key[4] != '_')
        return false;
    const std::string code = key.substr(0, 4);
    for (int row = 1; row < kKindCount; ++row)
        if (code == UpperAscii(kKinds[row].code))
            return true;
    return false;
}

}  // namespace

int KindFromCode(const std::string& code)
{
    for (int row = 1; row < kKindCount; ++row)
        if (code == kKinds[row].code)
            return row;
    return 0;
}

std::string KindCode(int row)
{
    return row >= 0 && row < kKindCount ? kKinds[row].code : kKinds[0].code;
}

std::string KindLabel(int row)
{
    return row >= 0 && row < kKindCount ? kKinds[row].label : kKinds[0].label;
}

int ClassOfKind(int row)
{
    for (int cls = 0; cls < kClassCount; ++cls)
        if (row >= kClassFirstKind[cls] && row < kClassFirstKind[cls + 1])
            return cls;
    return -1;
}

std::string ClassTitle(int index)
{
    return index >= 0 && index < kClassCount ? kClassTitles[index] : std::string();
}

std::string ResourceTypeName(int type)
{
    switch (type) {
    case 1: return "PiMI";
    case 2: return "PiPL";
    case 3: return "Premiere";
    default: return "Unknown";
    }
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string NormaliseStoredKey(const std::string& key, const std::string& prefix)
{
    std::string k = key;
    bool upper = false;
    // Each round either adds the prefix (only while the key does not start
    // with a kind code) or drops four characters, so this ends; the cap
    // guards against any case the reasoning missed.
    const std::size_t maxRounds = key.size() + 16;
    for (std::size_t round = 0; round < maxRounds; ++round) {
        bool changed = false;
        if (!startsWithKnownKind(k)) {
            k.insert(0, prefix);
            changed = true;
        }
        if (k.size() >= 6) {
            const std::size_t t = k.size() - 6;
            if (std::toupper(static_cast<unsigned char>(k[t])) == '8' &&
                std::toupper(static_cast<unsigned char>(k[t + 1])) == 'B' &&
                std::toupper(static_cast<unsigned char>(k[t + 2])) == 'F') {
                k.erase(t, 4);
                changed = true;
            }
        }
        if (!changed)
            break;
        // Once upper case, the prefix and the erasing keep it so.
        if (!upper) {
            k = UpperAscii(std::move(k));
            upper = true;
        }
    }
    return k;
}

}  // namespace vardel
