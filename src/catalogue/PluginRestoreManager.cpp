#include "catalogue/PluginRestoreManager.h"

#include "base/Archive.h"
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

const CPluginRestoreEntry* CPluginRestoreManager::Find(const std::string& upperKey) const
{
    const auto it = m_entries.find(upperKey);
    if (it != m_entries.end())
        return it->second.get();
    return m_base ? m_base->Find(upperKey) : nullptr;
}

bool CPluginRestoreManager::Contains(const std::string& key) const
{
    return Find(UpperAscii(key)) != nullptr;
}

bool CPluginRestoreManager::Add(const std::string& key, const std::string& name, const std::string& category)
{
    std::string upper = UpperAscii(key);
    if (m_base && m_base->Find(upper))
        return false;
    auto [it, inserted] = m_entries.try_emplace(std::move(upper));
    if (!inserted)
        return false;
    it->second = std::make_unique<CPluginRestoreEntry>();
    it->second->m_originalCategory = category;
    it->second->m_originalName = name;
    return true;
}

const CPluginRestoreEntry* CPluginRestoreManager::FindOrRecord(std::string upperKey, const std::string& name,
                                                                const std::string& category)
{
    // One lookup here, whose place also serves the insertion.
    const auto it = m_entries.lower_bound(upperKey);
    if (it != m_entries.end() && it->first == upperKey)
        return it->second.get();
    if (m_base)
        if (const CPluginRestoreEntry* known = m_base->Find(upperKey))
            return known;
    if (category.empty())
        return nullptr;
    auto original = std::make_unique<CPluginRestoreEntry>();
    original->m_originalCategory = category;
    original->m_originalName = name;
    m_entries.emplace_hint(it, std::move(upperKey), std::move(original));
    return nullptr;
}

std::string CPluginRestoreManager::GetOriginalCategory(const std::string& key) const
{
    const CPluginRestoreEntry* e = Find(UpperAscii(key));
    return e ? e->m_originalCategory : std::string();
}

std::string CPluginRestoreManager::GetOriginalName(const std::string& key) const
{
    const CPluginRestoreEntry* e = Find(UpperAscii(key));
    return e ? e->m_originalName : std::string();
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
    const CPluginRestoreEntry* original = Find(imageBaseName);
    if (!original)
        return;
    const int category = static_cast<int>(original->m_originalCategory.size());
    const int name = static_cast<int>(original->m_originalName.size());
    if (e.IsFilter() && e.m_categoryOffset > 0 && category > e.m_categoryCapacity)
        e.m_categoryCapacity = category;
    if (e.m_nameOffset > 0 && name > e.m_nameCapacity)
        e.m_nameCapacity = name;
}

}  // namespace vardel
