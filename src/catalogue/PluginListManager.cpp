#include "catalogue/PluginListManager.h"

#include "base/Archive.h"

namespace vardel {

const CRuntimeClass CRootItem::classCRootItem = {"CRootItem", 1, false,
                                                 [] { return std::unique_ptr<CObject>(new CRootItem); }};

// Only ever a root container, so its factory is never asked for.
const CRuntimeClass CPluginListManager::classCPluginListManager = {
    "CPluginListManager", 1, false, [] { return std::unique_ptr<CObject>(new CPluginListManager); }};

void CRootItem::Serialize(CArchive& ar)
{
    ar.Exchange(m_tag);
    ar.Exchange(m_path);
}

void CPluginListManager::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        Clear();
    ar.SerializeArray(m_entries);
    ar.SerializeArray(m_roots);
    ar.Exchange(m_currentRoot);
}

void CPluginListManager::Clear()
{
    m_entries.clear();
    m_roots.clear();
    m_currentRoot = -1;
}

}  // namespace vardel
