// The work of a scan session's worker: walks the tree, sends progress events,
// hands every file of a switched-on family to that family's rule set, and
// reports and counts each file rated above 0.
#pragma once

#include <string>

#include "session.h"

namespace qx {

// Returns the number of files visited in and below `directory`.
int ScanDirectory(ScanSession& session, const std::u16string& directory);

// The rule set that a file of this name goes to with the session's check
// types as they are now; null when none.
RuleSetEntry RouteFile(const ScanSession& session, std::u16string_view name);

}  // namespace qx
