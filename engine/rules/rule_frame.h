// What every rule set shares: the matching primitives over folded text, the
// decisions a cascade can reach, and the frame that runs a cascade over a
// text and turns its decision into a verdict and a reason.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

class RuleIndex;
class CascadeQuestioner;

// Where in a cascade a question is asked: its call site's line (and for
// FirstOf the item's place), filled in by the compiler's builtins as default
// arguments.
struct QuestionSite {
    const char* file;
    int line, item;
    bool operator==(const QuestionSite&) const = default;
};

// The folded text of one file as the cascades query it. It answers in one
// of two ways with the same answers: the reference way searches for each
// keyword and compiles and tests each pattern as the cascade asks; the
// one-pass way looks the keywords up in what one pass over the text found
// (see rule_index.h) and tests a pattern, compiled once, only when the
// literal it requires occurs, from where that literal can first start.
class RuleText {
  public:
    explicit RuleText(std::u16string_view folded) : text_(folded) {}
    // `first`: where each of the index's keywords first occurs in the text.
    RuleText(std::u16string_view folded, const RuleIndex& index,
             const std::vector<std::size_t>& first)
        : text_(folded), index_(&index), first_(&first) {}
    // Answers as the questioner says (the exploration of a cascade).
    explicit RuleText(CascadeQuestioner& questioner) : questioner_(&questioner) {}

    bool Has(std::u16string_view keyword, const char* file = __builtin_FILE(),
             int line = __builtin_LINE()) const;
    bool Matches(const char16_t* pattern, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) const;
    // Whether the text has fewer than `units` units.
    bool ShorterThan(std::size_t units, const char* file = __builtin_FILE(),
                     int line = __builtin_LINE()) const;

    // The decision of the first item, in order, whose keyword is found;
    // Nothing() when none is.
    Decision FirstOf(std::initializer_list<RuleItem> items, const char* file = __builtin_FILE(),
                     int line = __builtin_LINE()) const;

    // Whether a pattern search stopped at a bound of the pattern engine.
    bool SearchStopped() const { return stopped_; }

  private:
    bool HasKeyword(std::u16string_view keyword, const QuestionSite& site) const;

    std::u16string_view text_;
    const RuleIndex* index_ = nullptr;
    const std::vector<std::size_t>* first_ = nullptr;
    CascadeQuestioner* questioner_ = nullptr;
    mutable bool stopped_ = false;
};

// Answers a cascade's questions while it is explored.
class CascadeQuestioner {
  public:
    virtual ~CascadeQuestioner() = default;
    virtual bool AskKeyword(std::u16string_view keyword, const QuestionSite& site) = 0;
    virtual bool AskPattern(const char16_t* pattern, const QuestionSite& site) = 0;
    // Whether the text is shorter than the cascade's bound.
    virtual bool AskShorter(const QuestionSite& site) = 0;
};

using Cascade = Decision (*)(const RuleText& text);

// A cascade's rating of one text, before the known-good check.
struct CascadeRating {
    Rating rating;
    bool search_stopped = false;
};

// Runs the cascade over a folded text: the one-pass way with the index, the
// reference way without.
CascadeRating RunCascade(Cascade cascade, std::u16string_view folded,
                         const RuleIndex* index = nullptr);

}  // namespace qx
