#pragma once
// The data directory's writer lock: one program at a time may change the
// stores of a data directory, its preview images and the plug-in files its
// catalogues name. The desktop program holds the lock for its whole run,
// vardel-cli for one command that writes. A reader takes no lock: every
// store is replaced by an atomic rename, so a reader always sees a whole one.
//
// The lock is an advisory lock on "setup.db/vardel.lock", which the system
// drops when its holder ends, however it ends; the file's content names the
// holder for the others' messages.

#include "app/Stores.h"
#include "base/FileOps.h"

#include <chrono>
#include <string>
#include <system_error>

namespace vardel {

inline constexpr const char* kWriterLockFileName = "vardel.lock";
inline constexpr const char* kDesktopProgramName = "vardel";
inline constexpr const char* kCommandLineProgramName = "vardel-cli";

class WriterLock {
public:
    enum class State {
        Held,             // this process is the writer
        NoDataDirectory,  // no "setup.db": there is no store to guard, and nothing can be saved
        Unlockable,       // "setup.db" is not ours to write: no lock, and no store can be saved
        Busy,             // another program writes
        Failed,           // the lock file is unusable (a link, a directory, ...)
    };

    WriterLock() = default;

    // Takes the lock of dir for program (its name goes into the lock file).
    // While the holder is not the desktop program, tries again until wait
    // has passed: a command of vardel-cli ends soon.
    static WriterLock Acquire(const DataDirectory& dir, const std::string& program,
                              std::chrono::milliseconds wait = {});

    State GetState() const { return m_state; }
    bool IsHeld() const { return m_state == State::Held; }
    // True when the holder of this object may write: it holds the lock, or
    // there is nothing a lock could guard.
    bool AllowsWriting() const { return m_state != State::Busy && m_state != State::Failed; }
    // Busy: who holds the lock ("vardel-cli, process 1234"; "another
    // program" when its note cannot be read). Failed: why the lock failed.
    const std::string& Reason() const { return m_reason; }
    const std::filesystem::path& LockFile() const { return m_file; }

private:
    FileLock m_lock;
    State m_state = State::NoDataDirectory;
    std::string m_reason;
    std::filesystem::path m_file;
};

}  // namespace vardel
