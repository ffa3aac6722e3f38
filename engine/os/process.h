// Facts about processes that the platform keeps: where an executable lies.
#pragma once

#include <cstdint>
#include <string>

namespace qx::os {

// The folder of the running executable with its trailing separator; empty
// when the platform does not tell.
std::u16string ExecutableFolder();

// The executable path of a process; false when it cannot be read (the idle
// and system processes, exited processes, denied access).
bool ProcessImagePath(std::uint32_t process_id, std::u16string& path);

}  // namespace qx::os
