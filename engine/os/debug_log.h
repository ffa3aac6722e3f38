// Diagnostics for the developer, not the user: OutputDebugStringA on Windows;
// one line on standard error on POSIX when QUELLIX_DEBUG is set.
#pragma once

namespace qx::os {

void DebugLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qx::os
