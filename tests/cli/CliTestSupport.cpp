#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace vardel::test {

RunResult RunCli(std::vector<std::string> args, const std::filesystem::path& dataDir)
{
    if (!dataDir.empty())
        args.insert(args.begin(), {"--data-dir", dataDir.string()});
    args.insert(args.begin(), (binDir() / "vardel-cli").string());
    return run(args);
}

nlohmann::json RunCliOk(const std::vector<std::string>& args, const std::filesystem::path& dataDir)
{
    const RunResult r = RunCli(args, dataDir);
    EXPECT_EQ(r.status, 0) << args.front() << ": " << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

}  // namespace vardel::test
