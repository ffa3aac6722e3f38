#include "system_log.h"

namespace qx::cli {

bool SystemLogSupported() {
    return false;
}

void OpenSystemLog() {}

void LogWarning(const std::string&) {}

}  // namespace qx::cli
