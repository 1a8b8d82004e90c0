#pragma once
// One configured plug-in directory and the name of its catalogue file.

#include "base/Object.h"

#include <memory>
#include <string>
#include <vector>

namespace vardel {

class CPluginDirEntry : public CObject {
public:
    static const CRuntimeClass classCPluginDirEntry;
    static const CRuntimeClass& GetStaticClass() { return classCPluginDirEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginDirEntry; }
    // label, directory, include subdirectories, enabled, separator, catalogue file
    void Serialize(CArchive& ar) override;

    int m_enabled = 1;
    std::string m_label;
    std::string m_directory;
    int m_includeSubdirectories = 0;
    int m_separator = 0;
    std::string m_catalogueFile;  // as stored: "setup.db" + separator + "SETUPnnn"
};

// The configured plug-in directories.
using DirectoryList = std::vector<std::unique_ptr<CPluginDirEntry>>;

}  // namespace vardel
