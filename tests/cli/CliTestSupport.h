#pragma once
// Running the built command-line tool from the command tests.

#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace vardel::test {

// Runs vardel-cli with args, as a user runs it; with a data directory,
// "--data-dir <dir>" comes first. Returns the exit status and the output.
RunResult RunCli(std::vector<std::string> args, const std::filesystem::path& dataDir = {});

// RunCli for a command that must succeed: its output as JSON; a failed test
// and null JSON when the status is not 0.
nlohmann::json RunCliOk(const std::vector<std::string>& args, const std::filesystem::path& dataDir = {});

}  // namespace vardel::test
