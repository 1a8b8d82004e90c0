#include "cli/Cli.h"

namespace vardel::cli {

void addModifyCommands(CLI::App&, Common&)
{
}

}  // namespace vardel::cli
