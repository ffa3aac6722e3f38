// The bounds that keep a hostile pattern or text from hanging or crashing a
// scan. A search that reaches one of them answers "no match" (Test: kStopped);
// a pattern that nests deeper than the builder allows compiles to a tree that
// never matches.
// The figures below were measured on x86-64 (GCC 12, MinGW GCC 12, clang 14).
#pragma once

#include <cstdint>

namespace qx::pattern {

// Group nesting the recursive-descent builder follows. One level costs at most
// about 530 bytes of stack optimised (670 on Windows x64), 720 unoptimised and
// 2.3 KiB (4.6 KiB unoptimised) with the address sanitizer, so 200 levels
// need about 135 KiB in a release build: an eighth of a 1 MiB worker stack.
// The detection rules nest two levels deep.
inline constexpr int kMaxNestingDepth = 200;

// Element calls nested on the call stack during one search (lists into their
// children, quantifiers into their element, recursions into their target). One
// level costs at most about 70 bytes optimised, 125 unoptimised and 340 with
// the address sanitizer: 1500 levels take about 105 KiB in a release build,
// 500 KiB under the sanitizer. A recursion such as (?R) that never consumes
// text stops here; a balanced-parentheses recursion reaches text nested about
// 370 levels deep. On Windows x64 a level costs about 115 bytes: 170 KiB.
inline constexpr int kMaxMatchDepth = 1500;

// Backtracking work: element calls counted per search, at least kWorkFloor and
// kWorkPerUnit per unit of text; a backreference also counts the units it
// compares, or a few calls comparing long groups could run for minutes ((.*)\1x
// on 100 000 units took 61 s). A call takes about 4.5 ns, so a search gives up
// after about 5 s per MiB of text. On realistic script text the rules'
// patterns spend well under one call per unit, except "set\s*.*\s*=\s*server\s"
// at about L/70 per unit on lines of L units that hold "set" (65 per unit on
// text with a minified 4-12 KiB line in every hundred), but bait reaches the
// bound easily: 1 Mi units of "set " repeated, where every attempt runs to the
// end of the line and gives back, or 20 000 units of "preg_replace/" for
// "\bpreg_replace[^\s]*\/e\b". That is why Test answers by the linear search
// wherever it can (every rule pattern): it has no work bound, as its cost per
// unit is fixed when the pattern compiles (at most 1024 steps, see
// pattern_linear_compile.cpp). The rules' patterns take under 4 steps per unit
// on realistic script text and under 8 on that bait.
inline constexpr std::int64_t kWorkFloor = std::int64_t{1} << 24;
inline constexpr std::int64_t kWorkPerUnit = 1024;

// Entries on the backtrack and capture stacks together (4 bytes each). A
// legitimate search keeps at most a few entries per unit of text; the ceiling
// keeps one search under 256 MiB whatever the text's length.
inline constexpr std::int64_t kStackFloor = std::int64_t{1} << 22;
inline constexpr std::int64_t kStackPerUnit = 32;
inline constexpr std::int64_t kStackCeiling = std::int64_t{1} << 26;

// Positions are ints; longer texts are not searched.
inline constexpr std::int64_t kMaxTextLength = 0x7ffffffe;

}  // namespace qx::pattern
