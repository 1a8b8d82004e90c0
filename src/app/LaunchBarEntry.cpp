#include "app/LaunchBarEntry.h"

#include "base/Archive.h"

namespace vardel {

const CRuntimeClass CLaunchBarEntry::classCLaunchBarEntry = {
    "CLaunchBarEntry", 2, true, [] { return std::unique_ptr<CObject>(new CLaunchBarEntry); }};

void CLaunchBarEntry::Serialize(CArchive& ar)
{
    // Always written as schema 2; schema 1 had no show command.
    const unsigned schema = ar.IsStoring() ? 2 : ar.GetObjectSchema();
    if (schema != 1 && schema != 2)
        return;
    ar.Exchange(m_label);
    ar.Exchange(m_command);
    ar.Exchange(m_arguments);
    ar.Exchange(m_initialDirectory);
    ar.Exchange(m_iconPath);
    ar.Exchange(m_iconIndex);
    if (schema == 2)
        ar.Exchange(m_showCommand);
    else
        m_showCommand = kShowNormal;
}

}  // namespace vardel
