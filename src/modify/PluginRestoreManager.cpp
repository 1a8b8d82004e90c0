#include "modify/PluginRestoreManager.h"

#include "app/Archive.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"

#include <vector>

namespace vardel {

const CRuntimeClass CPluginRestoreEntry::classCPluginRestoreEntry = {
    "CPluginRestoreEntry", 1, false, [] { return std::unique_ptr<CObject>(new CPluginRestoreEntry); }};

const CRuntimeClass CPluginRestoreManager::classCPluginRestoreManager = {
    "CPluginRestoreManager", 1, false, [] { return std::unique_ptr<CObject>(new CPluginRestoreManager); }};

void CPluginRestoreEntry::Serialize(CArchive& ar)
{
    ar.Exchange(m_originalCategory);
    ar.Exchange(m_originalName);
}

void CPluginRestoreManager::Serialize(CArchive& ar)
{
    ar.SerializeMap(m_entries);
}

bool CPluginRestoreManager::Contains(const std::string& key) const
{
    return m_entries.count(UpperAscii(key)) != 0;
}

bool CPluginRestoreManager::Add(const std::string& key, const std::string& name, const std::string& category)
{
    auto [it, inserted] = m_entries.try_emplace(UpperAscii(key));
    if (!inserted)
        return false;
    it->second = std::make_unique<CPluginRestoreEntry>();
    it->second->m_originalCategory = category;
    it->second->m_originalName = name;
    return true;
}

std::string CPluginRestoreManager::GetOriginalCategory(const std::string& key) const
{
    auto it = m_entries.find(UpperAscii(key));
    return it == m_entries.end() ? std::string() : it->second->m_originalCategory;
}

std::string CPluginRestoreManager::GetOriginalName(const std::string& key) const
{
    auto it = m_entries.find(UpperAscii(key));
    return it == m_entries.end() ? std::string() : it->second->m_originalName;
}

void CPluginRestoreManager::Clear()
{
    m_entries.clear();
}

void CPluginRestoreManager::NormaliseKeys()
{
    // Old keys without a kind: filters had a category, exports did not.
    NormaliseStoredKeys(m_entries, [](const CPluginRestoreEntry& entry) {
        return entry.m_originalCategory.empty() ? "8BEM_" : "8BFM_";
    });
}

void CPluginRestoreManager::WidenCapacities(CPluginEntry& e) const
{
    if (!e.IsPhotoshopFilterFactory())
        WidenCapacities(e, e.ImageBaseName());
}

void CPluginRestoreManager::WidenCapacities(CPluginEntry& e, const std::string& imageBaseName) const
{
    if (e.IsPhotoshopFilterFactory())
        return;
    // The image base name is upper case already, as the keys are.
    const auto it = m_entries.find(imageBaseName);
    if (it == m_entries.end())
        return;
    const int category = static_cast<int>(it->second->m_originalCategory.size());
    const int name = static_cast<int>(it->second->m_originalName.size());
    if (e.IsFilter() && e.m_categoryOffset > 0 && category > e.m_categoryCapacity)
        e.m_categoryCapacity = category;
    if (e.m_nameOffset > 0 && name > e.m_nameCapacity)
        e.m_nameCapacity = name;
}

}  // namespace vardel
