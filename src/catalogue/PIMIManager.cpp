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
    m_store.Serialize(ar);
}

const CPIMIEntry* CPIMIManager::Lookup(const std::string& key) const
{
    return LookupUpper(UpperAscii(key));
}

const CPIMIEntry* CPIMIManager::LookupUpper(std::string_view upperKey) const
{
    if (CPIMIEntry* const* found = m_store.Find(upperKey))
        return *found;
    return m_base ? m_base->LookupUpper(upperKey) : nullptr;
}

bool CPIMIManager::Add(const std::string& key, const std::array<std::uint8_t, 16>& tail)
{
    return AddUpper(UpperAscii(key), tail);
}

bool CPIMIManager::AddUpper(std::string_view upperKey, const std::array<std::uint8_t, 16>& tail)
{
    // A scan meets mostly known keys: nothing is allocated for them.
    if (m_store.Contains(upperKey) || (m_base && m_base->LookupUpper(upperKey)))
        return false;
    auto entry = std::make_unique<CPIMIEntry>();
    entry->m_bytes = tail;
    return m_store.Add(std::string(upperKey), std::move(entry));
}

void CPIMIManager::NormaliseKeys()
{
    m_store.NormaliseKeys([](const CPIMIEntry&) { return "8BFM_"; });
}

void CPIMIManager::Clear()
{
    m_store.Clear();
}

}  // namespace vardel
