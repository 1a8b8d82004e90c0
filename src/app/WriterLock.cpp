#include "app/WriterLock.h"

#include <sstream>
#include <thread>

#if defined(_WIN32)
#include <process.h>
#define VARDEL_GETPID _getpid
#else
#include <unistd.h>
#define VARDEL_GETPID ::getpid
#endif

namespace vardel {

namespace {

constexpr std::chrono::milliseconds kRetryInterval{50};

struct Holder {
    std::string program;
    std::string process;
};

// The note is "<program> <process id>".
Holder ParseNote(const std::string& note)
{
    std::istringstream in(note);
    Holder holder;
    in >> holder.program >> holder.process;
    return holder;
}

std::string Describe(const Holder& holder)
{
    if (holder.program.empty())
        return "another program";
    return holder.program + (holder.process.empty() ? "" : ", process " + holder.process);
}

}  // namespace

WriterLock WriterLock::Acquire(const DataDirectory& dir, const std::string& program, std::chrono::milliseconds wait)
{
    WriterLock result;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir.SetupDb(), ec)) {
        result.m_state = State::NoDataDirectory;
        return result;
    }
    result.m_file = dir.SetupDb() / kWriterLockFileName;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const std::error_code error = result.m_lock.TryLock(result.m_file);
        if (!error) {
            result.m_state = State::Held;
            result.m_lock.WriteNote(program + " " + std::to_string(VARDEL_GETPID()) + "\n");
            return result;
        }
        if (error != std::errc::resource_unavailable_try_again) {
            // A data directory we may not write to: no store can be saved
            // there, so there is nothing to guard. Anything else in the
            // lock's place is refused.
            const bool notOurs = error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
                                 error == std::errc::read_only_file_system ||
                                 error == std::errc::no_such_file_or_directory;
            result.m_state = notOurs ? State::Unlockable : State::Failed;
            result.m_reason = result.m_file.string() + ": " + error.message();
            return result;
        }
        const Holder holder = ParseNote(FileLock::ReadNote(result.m_file));
        result.m_state = State::Busy;
        result.m_reason = Describe(holder);
        // The desktop program holds the lock until it is closed: no use waiting.
        if (holder.program == kDesktopProgramName || std::chrono::steady_clock::now() >= deadline)
            return result;
        std::this_thread::sleep_for(kRetryInterval);
    }
}

}  // namespace vardel
