#include "catalogue/PluginDirEntry.h"

#include "base/Archive.h"

namespace vardel {

const CRuntimeClass CPluginDirEntry::classCPluginDirEntry = {
    "CPluginDirEntry", 1, false, [] { return std::unique_ptr<CObject>(new CPluginDirEntry); }};

void CPluginDirEntry::Serialize(CArchive& ar)
{
    ar.Exchange(m_label);
    ar.Exchange(m_directory);
    ar.Exchange(m_includeSubdirectories);
    ar.Exchange(m_enabled);
    ar.Exchange(m_separator);
    ar.Exchange(m_catalogueFile);
}

}  // namespace vardel
