#pragma once
// The catalogue of one plug-in directory: its entries and the scanned roots.

#include "base/Object.h"
#include "catalogue/PluginEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace vardel {

// One scanned directory tree of a catalogue.
class CRootItem : public CObject {
public:
    static const CRuntimeClass classCRootItem;
    static const CRuntimeClass& GetStaticClass() { return classCRootItem; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCRootItem; }
    void Serialize(CArchive& ar) override;

    int m_tag = 0;
    std::string m_path;
};

class CPluginListManager : public CObject {
public:
    static const CRuntimeClass classCPluginListManager;
    static const CRuntimeClass& GetStaticClass() { return classCPluginListManager; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginListManager; }
    // Entries, then roots, then the current root index.
    void Serialize(CArchive& ar) override;

    std::vector<std::unique_ptr<CPluginEntry>> m_entries;
    std::vector<std::unique_ptr<CRootItem>> m_roots;
    int m_currentRoot = -1;

    void Clear();
};

}  // namespace vardel
