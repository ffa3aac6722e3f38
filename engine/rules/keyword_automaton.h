// Finds where each of a set of keywords first occurs in a text, in one pass
// over the text: a deterministic Aho-Corasick automaton over UTF-16 units,
// with the units that occur in no keyword folded into one class so that the
// transition table stays small. While nothing is under way, positions
// whose first few units begin no keyword are passed by one look into a
// hashed set of keyword beginnings, which lets the pass skip most of
// ordinary text and keeps it linear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pattern/beginning_set.h"

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
    void Report(std::size_t row, std::size_t end, std::vector<std::size_t>& first,
                std::size_t& missing) const;

    std::vector<std::uint16_t> class_of_;  // per unit value
    std::size_t classes_ = 1;
    // Where a keyword may begin; unusable with a keyword of one unit, when
    // every position is followed.
    pattern::BeginningSet beginnings_;
    // row + class -> next row * 16 + the units the next state has matched,
    // up to those the beginnings tell, * 2 + 1 when keywords end there
    std::vector<std::uint32_t> table_;
    // Keywords that end in each state (through its failure links), as a
    // slice of outputs_.
    std::vector<std::uint32_t> output_begin_, outputs_;
    std::vector<std::size_t> lengths_;
    std::vector<std::size_t> empty_;  // keywords found at 0 whatever the text
};

}  // namespace qx
