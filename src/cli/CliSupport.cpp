#include "cli/Cli.h"

#include "app/CodePage.h"

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

}  // namespace vardel::cli
