// The options that `scan` and `watch` share, and the plan they come to once
// checked: which files go to which rule set, what is left out, how text
// without a byte-order mark is read, and how findings are shown.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine_types.h"
#include "path_filter.h"
#include "scan_driver.h"

namespace qx::cli {

struct ScanOptions {
    bool asp = false, aspx = false, php = false, jsp = false;
    bool json = false, no_progress = false, quiet = false;
    std::string min_level = "suspicious";
    std::vector<std::string> excludes, exclude_dirs, extensions;
    std::string max_filesize, encoding;
    int threads = 0;  // 0: as many as the machine has cores
    bool reference_rules = false;
    std::string quarantine, quarantine_level = "trojan";
    std::vector<std::string> yara;  // rule files and folders
    bool yara_all_files = false;
    int yara_timeout = 10;  // seconds per file
};

// Registers the shared options on `command`.
void AddScanOptions(CLI::App& command, ScanOptions& options);

struct ScanPlan {
    bool families[4] = {true, true, true, true};  // indexed by Family
    std::vector<std::pair<std::u16string, Family>> extra_extensions;
    PathFilter filter;
    ScanSettings settings;
    ScanVerdict min_level = VerdictSuspicious;
    bool json = false, progress = true, quiet = false;
    // The examiner also looks at files that no rule set rates.
    bool examine_all_files = false;
    // Where findings from quarantine_level up are moved; none when empty.
    std::string quarantine_dir;
    ScanVerdict quarantine_level = VerdictTrojan;

    // How a file of this name is rated under the plan.
    FileRoute Route(std::u16string_view name) const;
};

// Checks the options; throws UsageError naming the first bad one.
ScanPlan MakeScanPlan(const ScanOptions& options);

// "12", "512K", "10M", "1G" (powers of 1024) in bytes; nullopt when not a size.
std::optional<std::uint64_t> ParseSize(std::string_view text);

}  // namespace qx::cli
