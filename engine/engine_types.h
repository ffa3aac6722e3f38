// Types shared by the scan driver, the rule sets and the interface.
#pragma once

#include <cstddef>

namespace qx {

// Result of one file's check and code of a finding event.
enum ScanVerdict : int {
    VerdictNone = 0,
    VerdictSuspicious = 1,
    VerdictDangerous = 2,
    VerdictTrojan = 3,
};

// The reason buffer a rule set writes into: 512 UTF-16 units, zero-filled by
// the scan driver before each call; at most 511 units plus the terminator.
inline constexpr std::size_t kReasonTextUnits = 512;

// A rule set's entry point: (reason buffer of kReasonTextUnits, full path) -> verdict.
using RuleSetEntry = int (*)(char16_t* reason, const char16_t* path);

}  // namespace qx
