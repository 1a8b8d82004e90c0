#include "cli/Cli.h"

namespace vardel::cli {

void addInterpreterCommands(CLI::App&, Common&)
{
}

}  // namespace vardel::cli
