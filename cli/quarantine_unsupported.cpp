// Where files cannot be quarantined: every call says so.
#include "quarantine.h"

namespace qx::cli {

bool QuarantineSupported() {
    return false;
}

std::string PrepareQuarantineDir(const std::string&) {
    return std::string(kQuarantineUnsupported);
}

QuarantineResult Quarantine(const std::string&, const std::string&, const FindingInfo&) {
    return {false, "", std::string(kQuarantineUnsupported)};
}

RestoreResult Restore(const std::string&, const std::string&) {
    return {RestoreResult::Outcome::kNotRestored, "", std::string(kQuarantineUnsupported)};
}

std::vector<QuarantineEntry> ListQuarantine(const std::string&, std::string& error) {
    error = kQuarantineUnsupported;
    return {};
}

}  // namespace qx::cli
