#include "CliTestSupport.h"

namespace vardel::test {

RunResult RunCli(std::vector<std::string> args, const std::filesystem::path& dataDir)
{
    if (!dataDir.empty())
        args.insert(args.begin(), {"--data-dir", dataDir.string()});
    args.insert(args.begin(), (binDir() / "vardel-cli").string());
    return run(args);
}

}  // namespace vardel::test
