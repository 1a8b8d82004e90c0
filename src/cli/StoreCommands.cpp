#include "cli/Cli.h"

namespace vardel::cli {

void addStoreCommands(CLI::App&, Common&)
{
}

}  // namespace vardel::cli
