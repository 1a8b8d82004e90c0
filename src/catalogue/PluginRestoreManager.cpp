#include "catalogue/PluginRestoreManager.h"

#include "base/Archive.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"

#include <iterator>
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
    if (ar.IsStoring()) {
        ar.SerializeMap(m_entries);
        return;
    }
    // A load that breaks off keeps what it read, and that is looked up too.
    try {
        ar.SerializeMap(m_entries);
    } catch (...) {
        Reindex();
        throw;
    }
    Reindex();
}

void CPluginRestoreManager::Reindex()
{
    m_index.Clear();
    m_index.Reserve(m_entries.size());
    for (const auto& [key, entry] : m_entries)
        m_index.Insert(key, entry.get());
}

const CPluginRestoreEntry* CPluginRestoreManager::Find(std::string_view upperKey) const
{
    if (CPluginRestoreEntry* const* found = m_index.Find(upperKey))
        return *found;
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
    if (m_index.Contains(upper))
        return false;
    auto original = std::make_unique<CPluginRestoreEntry>();
    original->m_originalCategory = category;
    original->m_originalName = name;
    const auto it = m_entries.emplace(std::move(upper), std::move(original)).first;
    m_index.Insert(it->first, it->second.get());
    return true;
}

const CPluginRestoreEntry* CPluginRestoreManager::FindOrRecord(std::string upperKey, const std::string& name,
                                                               const std::string& category)
{
    if (CPluginRestoreEntry* const* found = m_index.Find(upperKey))
        return *found;
    if (m_base)
        if (const CPluginRestoreEntry* known = m_base->Find(upperKey))
            return known;
    if (category.empty())
        return nullptr;
    auto original = std::make_unique<CPluginRestoreEntry>();
    original->m_originalCategory = category;
    original->m_originalName = name;
    const auto it = m_entries.emplace(std::move(upperKey), std::move(original)).first;
    m_index.Insert(it->first, it->second.get());
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
    m_index.Clear();
    m_entries.clear();
}

void CPluginRestoreManager::NormaliseKeys()
{
    // Old keys without a kind: filters had a category, exports did not.
    NormaliseStoredKeys(m_entries, [](const CPluginRestoreEntry& entry) {
        return entry.m_originalCategory.empty() ? "8BEM_" : "8BFM_";
    });
    Reindex();
}

void CPluginRestoreManager::Put(std::string key, std::unique_ptr<CPluginRestoreEntry> entry)
{
    const auto it = m_entries.insert_or_assign(std::move(key), std::move(entry)).first;
    m_index.Assign(it->first, it->second.get());
}

void CPluginRestoreManager::Compact()
{
    Originals compact;
    for (const auto& [key, e] : m_entries)
        if (e)
            compact.emplace_hint(compact.end(), std::string(key), std::make_unique<CPluginRestoreEntry>(*e));
    m_entries = std::move(compact);
    Reindex();
}

int CPluginRestoreManager::TakeNew(CPluginRestoreManager& from)
{
    int taken = 0;
    for (auto it = from.m_entries.begin(); it != from.m_entries.end();) {
        const auto next = std::next(it);
        if (!m_index.Contains(it->first)) {
            // The node keeps its key's bytes where they are: a view of them
            // stays good in the index it moves to.
            from.m_index.Erase(it->first);
            const auto placed = m_entries.insert(from.m_entries.extract(it)).position;
            m_index.Insert(placed->first, placed->second.get());
            ++taken;
        }
        it = next;
    }
    return taken;
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
