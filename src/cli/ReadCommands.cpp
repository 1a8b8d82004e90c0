#include "cli/Cli.h"

namespace vardel::cli {

void addReadCommands(CLI::App&, Common&)
{
}

}  // namespace vardel::cli
