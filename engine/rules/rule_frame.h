// What every rule set shares: the matching primitives over folded text, the
// decisions a cascade can reach, and the frame that runs a cascade over a
// text and turns its decision into a verdict and a reason.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "rules/signature_table.h"

namespace qx {

// Lower-cases the ASCII letters A to Z and nothing else, whatever the locale.
void FoldText(std::u16string& text);

// Exact substring search over UTF-16 units; the text's length is explicit,
// so a NUL inside the text hides nothing.
bool FindKeyword(std::u16string_view folded_text, std::u16string_view keyword);

// Compiles `pattern` (no option flags), searches the whole text once and
// releases it again. `stopped` is set when the search ended at a bound of
// the pattern engine (the answer is then "no match", and the rating that
// asked is incomplete).
bool MatchPattern(const char16_t* pattern, std::u16string_view folded_text, bool& stopped);

// How a step ends the cascade. A reason is a fixed text, or a family name put
// into the named-trojan or the upload-module sentence.
struct Decision {
    enum class Reason { kFixedText, kNamedTrojan, kUploadModule };

    ScanVerdict verdict = VerdictNone;
    Reason reason = Reason::kFixedText;
    std::u16string_view text;  // the fixed text or the family name
};

constexpr Decision Nothing() {
    return {};
}
// A known-good script: the file is not reported.
constexpr Decision Cleared() {
    return {};
}
constexpr Decision Trojan(std::u16string_view family) {
    return {VerdictTrojan, Decision::Reason::kNamedTrojan, family};
}
constexpr Decision TrojanText(std::u16string_view text) {
    return {VerdictTrojan, Decision::Reason::kFixedText, text};
}
constexpr Decision Dangerous(std::u16string_view text) {
    return {VerdictDangerous, Decision::Reason::kFixedText, text};
}
constexpr Decision Suspicious(std::u16string_view text) {
    return {VerdictSuspicious, Decision::Reason::kFixedText, text};
}
constexpr Decision SuspiciousUploadModule(std::u16string_view family) {
    return {VerdictSuspicious, Decision::Reason::kUploadModule, family};
}

// One inner item of a step: when its keyword is found (an empty keyword
// always is), the item decides.
struct RuleItem {
    std::u16string_view keyword;
    Decision decision;
};

// The signature row decides as a named trojan of the row's family.
RuleItem Row(Signature row);
// The signature row, when found, decides as given instead.
RuleItem Row(Signature row, Decision decision);
// The signature row, when found, decides as an upload module of its family.
RuleItem UploadModuleRow(Signature row);
inline RuleItem If(std::u16string_view keyword, Decision decision) {
    return {keyword, decision};
}
inline RuleItem Otherwise(Decision decision) {
    return {{}, decision};
}

// The folded text of one file as the cascades query it.
class RuleText {
  public:
    explicit RuleText(std::u16string_view folded) : text_(folded) {}

    bool Has(std::u16string_view keyword) const { return FindKeyword(text_, keyword); }
    bool Matches(const char16_t* pattern) const { return MatchPattern(pattern, text_, stopped_); }
    std::size_t Length() const { return text_.size(); }

    // The decision of the first item, in order, whose keyword is found;
    // Nothing() when none is.
    Decision FirstOf(std::initializer_list<RuleItem> items) const;

    // Whether a pattern search stopped at a bound of the pattern engine.
    bool SearchStopped() const { return stopped_; }

  private:
    std::u16string_view text_;
    mutable bool stopped_ = false;
};

using Cascade = Decision (*)(const RuleText& text);

// A cascade's rating of one text, before the known-good check.
struct CascadeRating {
    Rating rating;
    bool search_stopped = false;
};

// Folds `text` in place and runs the cascade over it.
CascadeRating RunCascade(Cascade cascade, std::u16string& text);

}  // namespace qx
