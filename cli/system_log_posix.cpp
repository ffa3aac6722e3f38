#include <syslog.h>

#include "system_log.h"

namespace qx::cli {

bool SystemLogSupported() {
    return true;
}

void OpenSystemLog() {
    openlog("quellix", LOG_PID, LOG_DAEMON);
}

void LogWarning(const std::string& line) {
    syslog(LOG_WARNING, "%s", line.c_str());
}

}  // namespace qx::cli
