// What a family's cascade can ask of a text, learnt once per process by
// exploring the cascade: every keyword and every pattern it may test, the
// patterns compiled once (read-only, shared by every rating thread), and an
// automaton that finds all the keywords, and the literal each pattern
// requires, in one pass over a file's text. The cascade then runs in its
// exact order on those answers.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pattern/pattern.h"
#include "rules/keyword_automaton.h"
#include "rules/rule_frame.h"

namespace qx {

class RuleIndex {
  public:
    explicit RuleIndex(Cascade cascade);

    // One pass over a folded text: where each keyword first occurs.
    void FindKeywords(std::u16string_view text, std::vector<std::size_t>& first) const {
        automaton_->FindFirst(text, first);
    }

    // The index of a keyword the cascade asks about, or -1 for one that the
    // exploration did not meet.
    int KeywordIndex(std::u16string_view keyword) const;

    struct Pattern {
        pattern::CPatternT<char16_t> compiled;
        // Keyword indexes of literals of which every match holds one, each
        // this many units after the match's start; none known when empty.
        std::vector<std::pair<int, int>> literals;
    };
    // The compiled pattern of the cascade's source, or null when the
    // exploration did not meet it.
    const Pattern* Find(const char16_t* source) const;

    std::size_t Keywords() const { return keywords_.size(); }
    std::size_t Patterns() const { return patterns_.size(); }

  private:
    void RememberAddress(std::u16string_view keyword, int index);

    std::vector<std::u16string_view> keywords_;
    std::unordered_map<std::u16string_view, int> keyword_index_;
    // The keywords by the address of the cascade's own text for them, so
    // that a question asked where the exploration met it is answered
    // without hashing the text: open addressing, at most half full.
    struct AddressSlot {
        const char16_t* data = nullptr;
        std::size_t size = 0;
        int index = -1;
    };
    std::vector<AddressSlot> by_address_;
    std::unordered_map<const char16_t*, std::unique_ptr<Pattern>> patterns_;
    std::unique_ptr<KeywordAutomaton> automaton_;
};

// The questions that a cascade asks of a text, all of them: found by running
// the cascade on every path of answers.
struct CascadeQuestions {
    std::vector<std::u16string_view> keywords;
    std::vector<const char16_t*> patterns;
};
CascadeQuestions ExploreCascade(Cascade cascade);

}  // namespace qx
