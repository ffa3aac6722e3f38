// The system log, for watches that run as services. POSIX: syslog under the
// name "quellix", facility daemon. Windows has none that the command line
// writes to.
#pragma once

#include <string>

namespace qx::cli {

bool SystemLogSupported();
void OpenSystemLog();
// One line at warning priority.
void LogWarning(const std::string& line);

}  // namespace qx::cli
