#pragma once
// The originals reach the disk before a plug-in changes. Once a plug-in
// file is rewritten no scan can see its first texts again, so every writer
// of plug-in files (the window's commands, vardel-cli's) asks this service
// before the change, and the change goes ahead after it.

#include <cstddef>

namespace vardel {

class CVardelSession;

class COriginalsFirst {
public:
    explicit COriginalsFirst(CVardelSession& session)
        : m_session(session)
    {}

    // Originals may now be recorded behind the session's back (a plug-in
    // file read straight into its restore database and tail cache): counts
    // what they hold, so that BeforeChange saves what was added.
    void Watch();
    // Before a plug-in file is written: saves the originals that are not in
    // their files yet (waiting for a queued save of them), once until Reset.
    // True when they are on disk; false when a save failed (the change still
    // goes ahead: the originals stay in memory for the next save).
    bool BeforeChange();
    // The catalogue on show was replaced: the next change asks again.
    void Reset() { m_saved = false; }

private:
    CVardelSession& m_session;
    bool m_watching = false;
    std::size_t m_restoreCount = 0;
    std::size_t m_tailCount = 0;
    bool m_saved = false;
};

}  // namespace vardel
