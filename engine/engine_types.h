// Types shared by the scan driver, the rule sets and the interface.
#pragma once

#include <cstddef>
#include <string>

#include "quellix.h"

namespace qx {

// Result of one file's check and code of a finding event.
enum ScanVerdict : int {
    VerdictNone = QX_VERDICT_NONE,
    VerdictSuspicious = QX_VERDICT_SUSPICIOUS,
    VerdictDangerous = QX_VERDICT_DANGEROUS,
    VerdictTrojan = QX_VERDICT_TROJAN,
};
static_assert(VerdictNone == 0 && VerdictSuspicious == 1 && VerdictDangerous == 2 &&
              VerdictTrojan == 3);

// A reason has at most this many UTF-16 units: it must fit, with its
// terminator, the 512-unit buffer that callers of the interface expect.
inline constexpr std::size_t kMaxReasonUnits = 511;

// One file's rating: its verdict and, above 0, why. A known-good file keeps
// the reason that its cancelled verdict had.
struct Rating {
    ScanVerdict verdict = VerdictNone;
    std::u16string reason;
};

}  // namespace qx
