#include "catalogue/PluginRestoreManager.h"

#include "base/Archive.h"
#include "base/Prefetch.h"
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
    m_store.Serialize(ar);
}

const CPluginRestoreEntry* CPluginRestoreManager::Find(std::string_view upperKey) const
{
    if (CPluginRestoreEntry* const* found = m_store.Find(upperKey))
        return *found;
    return m_base ? m_base->Find(upperKey) : nullptr;
}

bool CPluginRestoreManager::Contains(const std::string& key) const
{
    return Find(UpperAscii(key)) != nullptr;
}

namespace {

std::unique_ptr<CPluginRestoreEntry> NewOriginals(const std::string& name, const std::string& category)
{
    auto original = std::make_unique<CPluginRestoreEntry>();
    original->m_originalCategory = category;
    original->m_originalName = name;
    return original;
}

}  // namespace

bool CPluginRestoreManager::Add(const std::string& key, const std::string& name, const std::string& category)
{
    std::string upper = UpperAscii(key);
    if (m_base && m_base->Find(upper))
        return false;
    return m_store.Add(std::move(upper), NewOriginals(name, category));
}

const CPluginRestoreEntry* CPluginRestoreManager::FindOrRecord(std::string_view upperKey, const std::string& name,
                                                               const std::string& category)
{
    if (CPluginRestoreEntry* const* found = m_store.Find(upperKey))
        return *found;
    if (m_base)
        if (const CPluginRestoreEntry* known = m_base->Find(upperKey))
            return known;
    if (!category.empty())
        m_store.Add(std::string(upperKey), NewOriginals(name, category));
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
    m_store.Clear();
}

void CPluginRestoreManager::NormaliseKeys()
{
    // Old keys without a kind: filters had a category, exports did not.
    m_store.NormaliseKeys(
        [](const CPluginRestoreEntry& entry) { return entry.m_originalCategory.empty() ? "8BEM_" : "8BFM_"; });
}

void CPluginRestoreManager::Put(std::string key, std::unique_ptr<CPluginRestoreEntry> entry)
{
    m_store.Put(std::move(key), std::move(entry));
}

void CPluginRestoreManager::Compact()
{
    m_store.Compact();
}

int CPluginRestoreManager::TakeNew(CPluginRestoreManager& from)
{
    return m_store.TakeNew(from.m_store);
}

void CPluginRestoreManager::WidenCapacities(CPluginEntry& e) const
{
    if (!e.IsPhotoshopFilterFactory())
        WidenCapacities(e, e.ImageBaseName());
}

namespace {

CPluginRestoreManager::OriginalLengths LengthsOfOriginals(const CPluginRestoreEntry* original)
{
    if (!original)
        return {};
    return {static_cast<int>(original->m_originalName.size()), static_cast<int>(original->m_originalCategory.size())};
}

}  // namespace

void CPluginRestoreManager::WidenCapacities(CPluginEntry& e, const std::string& imageBaseName) const
{
    if (e.IsPhotoshopFilterFactory())
        return;
    // The image base name is upper case already, as the keys are.
    WidenCapacities(e, LengthsOfOriginals(Find(imageBaseName)));
}

void CPluginRestoreManager::WidenCapacities(CPluginEntry& e, const OriginalLengths& originals)
{
    if (e.IsPhotoshopFilterFactory() || originals.name < 0)
        return;
    if (e.IsFilter() && e.m_categoryOffset > 0 && originals.category > e.m_categoryCapacity)
        e.m_categoryCapacity = originals.category;
    if (e.m_nameOffset > 0 && originals.name > e.m_nameCapacity)
        e.m_nameCapacity = originals.name;
}

void CPluginRestoreManager::LengthsOf(std::span<const std::string_view> upperKeys,
                                      std::span<OriginalLengths> lengths) const
{
    // A scan job's database is empty while it refreshes: its base holds the
    // records.
    if (m_store.IsEmpty() && m_base) {
        m_base->LengthsOf(upperKeys, lengths);
        return;
    }
    const std::size_t n = upperKeys.size();
    std::vector<CPluginRestoreEntry* const*> slots(n);
    m_store.FindAll(upperKeys, slots);
    std::vector<const CPluginRestoreEntry*> found(n);
    for (std::size_t i = 0; i < n; ++i)
        found[i] = slots[i] ? *slots[i] : (m_base ? m_base->Find(upperKeys[i]) : nullptr);
    // The records lie apart from the index: read them a few ahead as well.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kAhead < n && found[i + kAhead]) {
            const auto* record = reinterpret_cast<const char*>(found[i + kAhead]);
            PrefetchForRead(record);
            PrefetchForRead(record + sizeof(CPluginRestoreEntry) - 1);
        }
        lengths[i] = LengthsOfOriginals(found[i]);
    }
}

}  // namespace vardel
