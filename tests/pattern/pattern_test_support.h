// Shared helpers of the pattern engine's tests: one table row is a pattern,
// a text, compile flags and the expected groups (none: no match).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pattern.h"

namespace qx::pattern::testing {

using Groups = std::vector<std::pair<int, int>>;

struct MatchCase {
    std::u16string_view pattern;
    std::u16string_view text;
    Groups groups;  // empty: the pattern must not match
    int flags = 0;
};

// Compiles `pattern` (explicit length, NULs allowed) and searches `text`;
// the groups of the match, or none.
Groups Search(std::u16string_view pattern, std::u16string_view text, int flags = 0);

// Printable form of a UTF-16 string (non-ASCII units as \uXXXX).
std::string Printable(std::u16string_view text);

void ExpectCases(const std::vector<MatchCase>& cases);

// Test by the bounded backtracker alone, as if the linear search did not exist.
MatchOutcome TestByBacktracking(const CPatternT<char16_t>& pattern, std::u16string_view text,
                                std::size_t from = 0);

// Runs `work` on a new thread whose stack is `stackBytes` large, as the scan
// worker's is, and waits for it.
void RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work);

}  // namespace qx::pattern::testing
