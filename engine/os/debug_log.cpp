#include "os/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qx::os {

void DebugLine(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
#ifdef _WIN32
    OutputDebugStringA(line);
    OutputDebugStringA("\n");
#else
    if (std::getenv("QUELLIX_DEBUG") != nullptr) std::fprintf(stderr, "quellix: %s\n", line);
#endif
}

}  // namespace qx::os
