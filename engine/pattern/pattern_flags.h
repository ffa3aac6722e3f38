// Compile flags of the pattern engine. Inline modifiers switch PF_DOT_ALL,
// PF_MULTI_LINE, PF_GLOBAL and PF_NO_CASE inside a pattern; PF_RIGHT_TO_LEFT
// comes from the compile call or a lookbehind, PF_FREE_SPACING only from the
// compile call.
#pragma once

namespace qx::pattern {

enum PatternFlags : int {
    PF_DOT_ALL = 0x01,        // `.` also matches LF
    PF_MULTI_LINE = 0x02,     // `^` and `$` are line anchors
    PF_GLOBAL = 0x04,         // `\G` anchors at the search's begin position
    PF_NO_CASE = 0x08,        // ASCII letters match either case
    PF_RIGHT_TO_LEFT = 0x10,  // consume leftwards; the search runs from the end
    PF_FREE_SPACING = 0x20,   // white space and `#` comments are skipped
};

}  // namespace qx::pattern
