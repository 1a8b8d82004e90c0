#include "support/TestSupport.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <csignal>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vardel::test {

TempDir::TempDir()
{
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("vardel-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Permissions may have been taken away by a test; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ec);
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path testDataDir()
{
    if (const char* env = std::getenv("VARDEL_TEST_DATA"))
        return env;
    return VARDEL_TEST_DATA_DIR;
}

std::filesystem::path testPlugin(const std::string& name)
{
    return testDataDir() / "plugins" / name;
}

std::filesystem::path sourceDir()
{
    return VARDEL_SOURCE_DIR;
}
std::filesystem::path binDir()
{
    return VARDEL_BIN_DIR;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void writeSixteenBitModule(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes(0x80 + 0x40, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x18] = 0x40;  // relocation table offset of a Windows module
    bytes[0x3C] = 0x80;  // the new header
    bytes[0x80] = 'N';
    bytes[0x81] = 'E';
    bytes[0x82] = 5;  // linker version
    writeFile(path, bytes);
}

namespace {
std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

int waitFor(int pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, limit.count() > 0 ? WNOHANG : 0);
        if (done == pid)
            return status;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int spawn(const std::vector<std::string>& argv, const std::filesystem::path& out, const std::filesystem::path& err)
{
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr))
            _exit(127);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds limit)
{
    TempDir dir;
    auto outPath = dir / "out";
    auto errPath = dir / "err";
    const int status = waitFor(spawn(argv, outPath, errPath), limit);
    RunResult result;
    result.status = status == -1 ? kTimedOut : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

bool FinishesWithin(std::chrono::milliseconds limit, const std::function<void()>& work)
{
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        work();
        _exit(0);
    }
    const int status = waitFor(pid, limit);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void makeFifo(const std::filesystem::path& path)
{
    if (mkfifo(path.c_str(), 0644) != 0)
        throw std::runtime_error("mkfifo failed: " + path.string());
}

CPluginEntry& AddPiplEntry(CPluginListManager& catalogue, const std::string& name, const std::string& category,
                           const std::string& path, int kind)
{
    auto e = std::make_unique<CPluginEntry>();
    e->m_name = name;
    e->m_category = category;
    e->m_path = path;
    e->m_kind = kind;
    e->m_resourceType = kResourcePiPL;
    catalogue.m_entries.push_back(std::move(e));
    return *catalogue.m_entries.back();
}

}  // namespace vardel::test
