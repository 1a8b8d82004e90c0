#include "search/DescriptionListManager.h"

#include "base/Archive.h"

namespace vardel {

const CRuntimeClass CDescriptionEntry::classCDescriptionEntry = {
    "CDescriptionEntry", 1, false, [] { return std::unique_ptr<CObject>(new CDescriptionEntry); }};

const CRuntimeClass CDescriptionListManager::classCDescriptionListManager = {
    "CDescriptionListManager", 1, false, [] { return std::unique_ptr<CObject>(new CDescriptionListManager); }};

void CDescriptionEntry::Serialize(CArchive& ar)
{
    ar.Exchange(m_key);
    ar.Exchange(m_description);
    ar.Exchange(m_keywords);
}

void CDescriptionListManager::Serialize(CArchive& ar)
{
    ar.SerializeArray(m_entries);
}

int CDescriptionListManager::Find(const std::string& key) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->m_key == key)
            return static_cast<int>(i);
    return -1;
}

bool CDescriptionListManager::Get(const std::string& key, std::string& description, std::string& keywords) const
{
    int index = Find(key);
    if (index < 0)
        return false;
    description = m_entries[static_cast<std::size_t>(index)]->m_description;
    keywords = m_entries[static_cast<std::size_t>(index)]->m_keywords;
    return true;
}

void CDescriptionListManager::SetFromTexts(const std::string& key, const std::string& description,
                                           const std::string& keywords)
{
    if (description.empty() && keywords.empty())
        return;
    int index = Find(key);
    if (index >= 0) {
        m_entries[static_cast<std::size_t>(index)]->m_description = description;
        m_entries[static_cast<std::size_t>(index)]->m_keywords = keywords;
        return;
    }
    auto entry = std::make_unique<CDescriptionEntry>();
    entry->m_key = key;
    entry->m_description = description;
    entry->m_keywords = keywords;
    m_entries.push_back(std::move(entry));
}

}  // namespace vardel
