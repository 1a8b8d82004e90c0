#include "cli/Cli.h"

#include "base/CodePage.h"
#include "base/FileOps.h"

#include <iostream>

namespace vardel::cli {

void printJson(const nlohmann::json& value)
{
    std::cout << value.dump(2) << '\n';
}

std::string toUtf8(const std::string& text)
{
    return vardel::codePageToUtf8(text);
}

std::string pathToUtf8(const std::string& path)
{
    return vardel::PathForDisplay(path);
}

}  // namespace vardel::cli
