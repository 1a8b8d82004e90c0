// The session every store-using command works on, and selecting a directory
// as the Directory menu does.

#include "cli/Cli.h"

#include "app/Session.h"
#include "app/WriterLock.h"
#include "catalogue/PluginDirEntry.h"

#include <iostream>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace vardel::cli {

namespace {

// A progress line on stderr, only when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine()
    {
#if !defined(_WIN32)
        m_enabled = ::isatty(2) != 0;
#endif
    }
    ~ProgressLine()
    {
        Clear();
    }
    void Show(const std::string& path)
    {
        if (!m_enabled || path.empty())
            return;
        std::cerr << "\r\033[K" << path.substr(0, 150) << std::flush;
        m_shown = true;
    }
    void Clear()
    {
        if (m_shown)
            std::cerr << "\r\033[K" << std::flush;
        m_shown = false;
    }

private:
    bool m_enabled = false;
    bool m_shown = false;
};

void printMessage(const std::string& text)
{
    std::cerr << text << (text.ends_with('\n') ? "" : "\n");
}

// Prints what the session says about its stores on stderr; what a
// selection says comes back in its outcome and is printed with it, and a
// writer refused by the lock fails with its message.
class StoreMessages : public SessionObserver {
public:
    void Message(const UserMessage& message) override
    {
        if (message.code == MessageCode::StoreDamaged || message.code == MessageCode::DataDirectoryNotWritable ||
            message.code == MessageCode::StoreUnreadable)
            printMessage(message.text);
    }
};

// Stateless, so one serves every session of the run.
StoreMessages g_storeMessages;

// A command of another vardel-cli ends soon: wait for it that long.
constexpr std::chrono::seconds kLockWait{10};

}  // namespace

std::unique_ptr<CVardelSession> openSession(const Common& common, SettingsBackend& settings, Access access)
{
    auto session = std::make_unique<CVardelSession>(DataDirectory{common.dataDir}, settings);
    session->AddObserver(&g_storeMessages);
    const WriterIdentity me{kCommandLineProgramName, access == Access::Write ? kLockWait : std::chrono::seconds(0)};
    session->Start(access == Access::Read ? SessionAccess::Reader : SessionAccess::Writer, me);
    if (access == Access::Write && session->WriteRefusal())
        throw CliFailure(session->WriteRefusal()->text);
    return session;
}

WriterLock lockForWriting(const Common& common)
{
    const DataDirectory dir{common.dataDir};
    WriterLock lock = WriterLock::Acquire(dir, kCommandLineProgramName, kLockWait);
    if (!lock.AllowsWriting())
        throw CliFailure(WriterLockMessage(lock, dir).text);
    return lock;
}

void selectOrThrow(CVardelSession& session, int n)
{
    selectDirectoryOrThrow(session, n);
}

void requireDirectoryList(const CVardelSession& session)
{
    std::error_code ec;
    const StoreResult index = session.StoreLoadResult("index");
    if (!index && std::filesystem::exists(session.GetDataDirectory().SetupDb() / "index", ec))
        throw CliFailure("cannot read the directory list: " + index.error);
}

ScanOutcome selectDirectoryOrThrow(CVardelSession& session, int n)
{
    // A directory list read in part (or not at all) may not hold the entry
    // meant: nothing is selected from it.
    requireDirectoryList(session);
    const auto& dirs = session.Directories();
    if (n < 0 || static_cast<std::size_t>(n) >= dirs.size())
        throw CliFailure("no directory " + std::to_string(n) + " in the directory list (" +
                         std::to_string(dirs.size()) + " configured)");
    if (dirs[static_cast<std::size_t>(n)]->m_separator)
        throw CliFailure("directory " + std::to_string(n) + " is a separator");
    ScanOutcome outcome;
    {
        ProgressLine progress;
        outcome = session.SelectDirectory(n, {}, [&progress](const ScanProgress& p) { progress.Show(p.path); });
    }
    if (!outcome.done) {
        if (outcome.messages.empty())
            throw CliFailure("cannot select directory " + std::to_string(n));
        for (std::size_t i = 0; i + 1 < outcome.messages.size(); ++i)
            printMessage(outcome.messages[i].text);
        throw CliFailure(outcome.messages.back().text);
    }
    for (const auto& m : outcome.messages)
        printMessage(m.text);
    return outcome;
}

}  // namespace vardel::cli
