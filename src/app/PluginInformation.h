#pragma once
// What the plug-in information bar shows for the single selected plug-in:
// the author of a Filter Factory filter, the description and the file.
// Descriptions that the plug-in carries itself go into the description
// database the first time they are shown.

#include <string>

namespace vardel {

class CDescriptionListManager;
class CParameterBlock;
class CPluginEntry;

struct PluginInformation {
    std::string author;            // a Filter Factory filter's author; "" otherwise
    std::string description;       // from the database, else from the plug-in file
    std::string filename;          // the plug-in's path
    bool addedToDatabase = false;  // the description came from the file and was stored
};

// The information bar's texts for the entry. The description is the one of
// the database under the entry's description key; without one, a Filter
// Factory filter's "D:" text of its parameter block, or the "TEXT" resource
// "#1001" of a file with an "FXVS" resource, which is then added to the
// database (save it when addedToDatabase is set). Never fails: a block or
// resource that cannot be read leaves its texts empty.
PluginInformation GetPluginInformation(const CPluginEntry& entry, CDescriptionListManager& descriptions);

// As above with the Filter Factory block already read (the bar keeps its own
// copy); a null block is read from the file when the entry needs one.
PluginInformation GetPluginInformation(const CPluginEntry& entry, CDescriptionListManager& descriptions,
                                       const CParameterBlock* block);

// The same texts without touching the database: a description the plug-in
// carries itself is returned (addedToDatabase stays false) but not stored.
// block as above.
PluginInformation PeekPluginInformation(const CPluginEntry& entry, const CDescriptionListManager& descriptions,
                                        const CParameterBlock* block);

// The description a parameter block carries: when the bytes at 1256 and 1257
// are "D" and ":", the text from 1258 (at most 126 characters, up to a zero
// byte) followed by the text from 1514 (the same); "" otherwise.
std::string BlockDescription(const CParameterBlock& block);

// The text of the file's "TEXT" resource "#1001": its first 2 bytes
// skipped, then up to a zero byte and at most 257 characters. "" when the
// file is not a module or has no such resource.
std::string TextResourceDescription(const std::string& path);

}  // namespace vardel
