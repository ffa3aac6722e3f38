// The subcommands of the `quellix` command line. Each Add...Command registers
// its options on the application; when it runs it stores its exit status in
// `status` (0 or 1; 2 for a run that could not start).
#pragma once

#include <CLI/CLI.hpp>

namespace qx::cli {

void AddScanCommand(CLI::App& app, int& status);
void AddCleanCommand(CLI::App& app, int& status);
void AddWatchCommand(CLI::App& app, int& status);
void AddNetstatCommand(CLI::App& app, int& status);
void AddLocateCommand(CLI::App& app, int& status);
void AddPowerCommand(CLI::App& app, int& status);
void AddRegexCommand(CLI::App& app, int& status);
void AddRestoreCommand(CLI::App& app, int& status);

}  // namespace qx::cli
