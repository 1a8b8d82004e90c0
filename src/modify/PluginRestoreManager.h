#pragma once
// The restore database: the name and category every filter had when it was
// first catalogued, keyed by image base name (upper case).

#include "app/Object.h"

#include <map>
#include <memory>
#include <string>

namespace vardel {

class CPluginRestoreEntry : public CObject {
public:
    static const CRuntimeClass classCPluginRestoreEntry;
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginRestoreEntry; }
    // original category, original name
    void Serialize(CArchive& ar) override;

    std::string m_originalCategory;
    std::string m_originalName;
};

class CPluginRestoreManager : public CObject {
public:
    static const CRuntimeClass classCPluginRestoreManager;
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginRestoreManager; }
    void Serialize(CArchive& ar) override;

    // Every lookup upper-cases the given key first.
    bool Contains(const std::string& key) const;
    // Records the originals; false (nothing changes) when the key exists.
    bool Add(const std::string& key, const std::string& name, const std::string& category);
    std::string GetOriginalCategory(const std::string& key) const;  // "" when absent
    std::string GetOriginalName(const std::string& key) const;      // "" when absent
    void Clear();
    void NormaliseKeys();

    std::map<std::string, std::unique_ptr<CPluginRestoreEntry>> m_entries;
};

}  // namespace vardel
