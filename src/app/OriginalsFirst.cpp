#include "app/OriginalsFirst.h"

#include "app/Session.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginRestoreManager.h"

namespace vardel {

void COriginalsFirst::Watch()
{
    m_watching = true;
    m_restoreCount = m_session.Restore().Size();
    m_tailCount = m_session.PimiCache().Size();
}

bool COriginalsFirst::BeforeChange()
{
    if (m_watching && (m_session.Restore().Size() != m_restoreCount || m_session.PimiCache().Size() != m_tailCount)) {
        m_session.NoteOriginalsRecorded();
        m_saved = false;
        Watch();
    }
    if (!m_saved)
        m_saved = m_session.SaveOriginalsBeforeWrite();
    return m_saved;
}

}  // namespace vardel
