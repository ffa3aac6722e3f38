// Helpers for the rule-set tests: files written in the encodings the reader
// detects, and one call of a rule set with its verdict and reason.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "rules/rule_sets.h"

namespace qx::test {

enum class Encoding { kPlain, kUtf8WithMark, kUtf16LeWithMark, kUtf16BeWithMark };

// `utf8` re-encoded; kPlain keeps the bytes as they are (the reader takes
// them in the ANSI code page).
std::string Encode(std::string_view utf8, Encoding encoding);
const char* EncodingName(Encoding encoding);

// `text` with its ASCII letters upper-cased.
std::string AsciiUpper(std::string_view text);

// A rule set's entry point.
using RuleSet = Rating (*)(std::u16string_view path);

// What a rule set said about one file; `reason` in UTF-8.
struct RuleResult {
    int verdict = -1;
    std::string reason;
    bool no_reason = false;
};
RuleResult RunRuleSetOn(RuleSet rule_set, const std::filesystem::path& file);

// One row of a family's table: a file that reaches exactly one step or item.
struct RuleCase {
    const char* reaches;  // the step or item, for the failure message
    std::string content;  // UTF-8
    int verdict;
    const char* reason;  // nullptr: no reason at all
};

// Runs every case as written and upper-cased, in UTF-8 and UTF-16 of both
// byte orders with marks, and without a mark when the content is ASCII; the
// one-pass way and the reference way must rate each text alike.
void ExpectRuleCases(RuleSet rule_set, std::span<const RuleCase> cases);

// Rates `text` (UTF-16, not yet folded) with the family's cascade both ways
// and expects the same verdict, reason and stop.
void ExpectBothWaysAlike(Family family, std::u16string text);

// Bytes that make the CRC-64/WE of `content` followed by them equal `target`.
std::string BytesForcingFingerprint(std::string_view content, std::uint64_t target);

}  // namespace qx::test
