// The bounds that keep a hostile pattern or text from hanging or crashing a
// scan. A search that reaches one of them answers "no match"; a pattern that
// nests deeper than the builder allows compiles to a tree that never matches.
#pragma once

#include <cstdint>

namespace qx::pattern {

// Group nesting the recursive-descent builder follows. Every level costs about
// five builder frames; 200 levels stay far inside a 1 MiB thread stack in every
// build, sanitizers included. The detection rules nest at most two levels.
inline constexpr int kMaxNestingDepth = 200;

// Element calls nested on the call stack during one search (lists into their
// children, quantifiers into their element, recursions into their target).
// Measured frame sizes (see docs/performance.md): at most about 240 bytes per
// level in optimised builds, about 900 bytes with the address sanitizer, so
// 1500 levels need about 360 KiB, a third of a 1 MiB worker stack.
inline constexpr int kMaxMatchDepth = 1500;

// Backtracking work: element calls counted per search. The allowance grows with
// the text so that long files are not cut short; the rules' patterns spend a
// few calls per unit on ordinary script text, far below the allowance.
inline constexpr std::int64_t kWorkFloor = std::int64_t{1} << 24;
inline constexpr std::int64_t kWorkPerUnit = 256;

// Entries on the backtrack and capture stacks together. A legitimate search
// keeps a few entries per unit of text.
inline constexpr std::int64_t kStackFloor = std::int64_t{1} << 22;
inline constexpr std::int64_t kStackPerUnit = 32;

// Positions are ints; longer texts are not searched.
inline constexpr std::int64_t kMaxTextLength = 0x7ffffffe;

}  // namespace qx::pattern
