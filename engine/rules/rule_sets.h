// Entry points of the four rule sets, one per script family. Each reads the
// file at the path it is given and rates it.
#pragma once

#include <string_view>

#include "engine_types.h"

namespace qx {

enum class Family { kAsp, kAspx, kPhp, kJsp };

Rating CheckAspFile(std::u16string_view path);
Rating CheckAspxFile(std::u16string_view path);
Rating CheckPhpFile(std::u16string_view path);
Rating CheckJspFile(std::u16string_view path);

// The entry point of the family's rule set.
Rating CheckFile(Family family, std::u16string_view path);

}  // namespace qx
