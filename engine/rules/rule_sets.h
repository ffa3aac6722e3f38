// The four rule sets, one per script family: each is a cascade over a file's
// folded text, and an entry point that reads a file and rates it.
#pragma once

#include <string_view>

#include "engine_types.h"
#include "rules/rule_frame.h"

namespace qx {

enum class Family { kAsp, kAspx, kPhp, kJsp };

Decision AspCascade(const RuleText& text);
Decision AspxCascade(const RuleText& text);
Decision PhpCascade(const RuleText& text);
Decision JspCascade(const RuleText& text);

Cascade CascadeOf(Family family);

class RuleIndex;
// The index of the family's cascade (see rule_index.h), built on first use
// and then shared, read-only, by every thread.
const RuleIndex& RuleIndexOf(Family family);

// Reads the file at `path` and rates it (see file_rating.h, which also tells
// what could not be checked).
Rating CheckAspFile(std::u16string_view path);
Rating CheckAspxFile(std::u16string_view path);
Rating CheckPhpFile(std::u16string_view path);
Rating CheckJspFile(std::u16string_view path);

}  // namespace qx
