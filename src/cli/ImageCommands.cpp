#include "cli/Cli.h"

namespace vardel::cli {

void addImageCommands(CLI::App&, Common&)
{
}

}  // namespace vardel::cli
