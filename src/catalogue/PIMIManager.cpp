#include "catalogue/PIMIManager.h"

#include "base/Archive.h"
#include "catalogue/PluginTables.h"

namespace vardel {

const CRuntimeClass CPIMIEntry::classCPIMIEntry = {"CPIMIEntry", 1, false,
                                                   [] { return std::unique_ptr<CObject>(new CPIMIEntry); }};

const CRuntimeClass CPIMIManager::classCPIMIManager = {"CPIMIManager", 1, false,
                                                       [] { return std::unique_ptr<CObject>(new CPIMIManager); }};

void CPIMIEntry::Serialize(CArchive& ar)
{
    // Six little-endian WORDs and four bytes: exactly the bytes as held.
    if (ar.IsStoring())
        ar.WriteBytes(m_bytes);
    else
        ar.ReadBytes(m_bytes);
}

void CPIMIManager::Serialize(CArchive& ar)
{
    ar.SerializeMap(m_entries);
}

const CPIMIEntry* CPIMIManager::Lookup(const std::string& key) const
{
    return LookupUpper(UpperAscii(key));
}

const CPIMIEntry* CPIMIManager::LookupUpper(const std::string& upperKey) const
{
    auto it = m_entries.find(upperKey);
    if (it != m_entries.end())
        return it->second.get();
    return m_base ? m_base->LookupUpper(upperKey) : nullptr;
}

bool CPIMIManager::Add(const std::string& key, const std::array<std::uint8_t, 16>& tail)
{
    std::string upper = UpperAscii(key);
    if (m_base && m_base->m_entries.count(upper))
        return false;
    auto [it, inserted] = m_entries.try_emplace(std::move(upper));
    if (!inserted)
        return false;
    it->second = std::make_unique<CPIMIEntry>();
    it->second->m_bytes = tail;
    return true;
}

void CPIMIManager::NormaliseKeys()
{
    NormaliseStoredKeys(m_entries, [](const CPIMIEntry&) { return "8BFM_"; });
}

void CPIMIManager::Clear()
{
    m_entries.clear();
}

}  // namespace vardel
