// Where the IP database lies when --qqwry does not say.
#pragma once

#include <string>

namespace qx::cli {

// QQWry.dat beside the program when one lies there, else the one an installed
// tree keeps in share/quellix/ beside the program's bin folder (so a tree
// extracted anywhere finds its own); when neither exists, the one beside the
// program, so that a message names the first place looked.
std::u16string DefaultDatabasePath();

}  // namespace qx::cli
