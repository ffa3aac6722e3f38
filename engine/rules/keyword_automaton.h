// Finds where each of a set of keywords first occurs in a text, in one pass
// over the text: a deterministic Aho-Corasick automaton over UTF-16 units,
// with the units that occur in no keyword folded into one class so that the
// transition table stays small. While at most one unit of a keyword is
// under way, positions whose two units begin no keyword are passed by a
// table test, which keeps the pass linear and lets it skip most of
// ordinary text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qx {

class KeywordAutomaton {
  public:
    static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

    // Keywords may repeat and may be empty (an empty one occurs at 0).
    explicit KeywordAutomaton(const std::vector<std::u16string_view>& keywords);

    // first[k] becomes the position where keyword k first occurs in `text`,
    // or kAbsent.
    void FindFirst(std::u16string_view text, std::vector<std::size_t>& first) const;

  private:
    std::vector<std::uint16_t> class_of_;  // per unit value
    std::size_t classes_ = 1;
    std::vector<std::uint8_t> starts_;  // per bucket of two units: whether keywords begin so
    bool skip_ = true;                  // no keyword is one unit long
    // row + class -> next row * 4 (+ 2: one unit at most under way, + 1: keywords end)
    std::vector<std::uint32_t> table_;
    // Keywords that end in each state (through its failure links), as a
    // slice of outputs_.
    std::vector<std::uint32_t> output_begin_, outputs_;
    std::vector<std::size_t> lengths_;
    std::vector<std::size_t> empty_;  // keywords found at 0 whatever the text
};

}  // namespace qx
