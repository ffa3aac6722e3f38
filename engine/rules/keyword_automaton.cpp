#include "rules/keyword_automaton.h"

#include <deque>

namespace qx {
namespace {

// A two-unit window's bucket in the start filter; different windows may
// share one, which only lets a position through that could have been skipped.
std::size_t Bigram(std::size_t first, std::size_t second) {
    return ((first << 7) ^ second) & 0xFFFF;
}

bool Starts(const std::uint8_t* starts, char16_t first, char16_t second) {
    return starts[Bigram(first, second)] != 0;
}

}  // namespace

KeywordAutomaton::KeywordAutomaton(const std::vector<std::u16string_view>& keywords)
    : class_of_(0x10000, 0), starts_(0x10000, 0) {
    for (const std::u16string_view keyword : keywords) {
        for (const char16_t unit : keyword) {
            if (class_of_[unit] == 0) class_of_[unit] = static_cast<std::uint16_t>(classes_++);
        }
        if (keyword.size() == 1) skip_ = false;  // one unit has no second to filter on
        if (keyword.size() >= 2) {
            starts_[Bigram(keyword[0], keyword[1])] = 1;
        }
    }
    // The trie, as a full table from the start. States are numbered by
    // their row in the table, so a transition is one load.
    std::vector<std::vector<std::uint32_t>> ends(1);
    std::vector<std::size_t> depth(1, 0);
    std::vector<std::uint32_t> next(classes_, 0);
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        lengths_.push_back(keywords[k].size());
        if (keywords[k].empty()) {
            empty_.push_back(k);
            continue;
        }
        std::uint32_t state = 0;
        for (const char16_t unit : keywords[k]) {
            const std::size_t slot = state * classes_ + class_of_[unit];
            if (next[slot] == 0) {
                next[slot] = static_cast<std::uint32_t>(ends.size());
                ends.emplace_back();
                depth.push_back(depth[state] + 1);
                next.resize(next.size() + classes_, 0);
            }
            state = next[slot];
        }
        ends[state].push_back(static_cast<std::uint32_t>(k));
    }
    // Failure links breadth first; a missing transition goes where the
    // state's failure goes, which makes the table deterministic. Units in no
    // keyword (class 0) lead back to the start from everywhere.
    const std::size_t states = ends.size();
    std::vector<std::uint32_t> failure(states, 0);
    std::deque<std::uint32_t> queue;
    for (std::size_t c = 0; c < classes_; ++c) {
        if (next[c] != 0) queue.push_back(next[c]);
    }
    while (!queue.empty()) {
        const std::uint32_t state = queue.front();
        queue.pop_front();
        const std::vector<std::uint32_t>& inherited = ends[failure[state]];
        ends[state].insert(ends[state].end(), inherited.begin(), inherited.end());
        for (std::size_t c = 0; c < classes_; ++c) {
            std::uint32_t& slot = next[state * classes_ + c];
            const std::uint32_t fallback = next[failure[state] * classes_ + c];
            if (slot == 0) {
                slot = fallback;
            } else {
                failure[slot] = fallback;
                queue.push_back(slot);
            }
        }
    }
    // Each entry: the next state's row times four, plus two when that state
    // has matched at most one unit, plus one when keywords end there.
    table_.resize(next.size());
    for (std::size_t i = 0; i < next.size(); ++i) {
        table_[i] = static_cast<std::uint32_t>(next[i] * classes_ * 4) +
                    (depth[next[i]] <= 1 ? 2 : 0) + (ends[next[i]].empty() ? 0 : 1);
    }
    output_begin_.push_back(0);
    for (const std::vector<std::uint32_t>& found : ends) {
        outputs_.insert(outputs_.end(), found.begin(), found.end());
        output_begin_.push_back(static_cast<std::uint32_t>(outputs_.size()));
    }
}

void KeywordAutomaton::FindFirst(std::u16string_view text, std::vector<std::size_t>& first) const {
    first.assign(lengths_.size(), kAbsent);
    std::size_t missing = lengths_.size() - empty_.size();
    for (const std::size_t k : empty_) first[k] = 0;
    const std::uint16_t* const classes = class_of_.data();
    const std::uint32_t* const table = table_.data();
    const std::uint8_t* const starts = starts_.data();
    const char16_t* const units = text.data();
    const std::size_t size = text.size();
    std::size_t row = 0;
    bool shallow = true;  // at most one unit of a keyword is under way
    for (std::size_t i = 0; i < size && missing > 0; ++i) {
        if (shallow && skip_) {
            // A unit under way that begins no keyword with this one is as
            // good as none: the pass restarts here.
            if (row != 0 && !Starts(starts, units[i - 1], units[i])) row = 0;
            if (row == 0) {
                // No keyword is under way: pass the positions where none
                // can begin. Each unit is loaded once.
                for (std::size_t unit = units[i]; i + 1 < size; ++i) {
                    const std::size_t next = units[i + 1];
                    if (starts[Bigram(unit, next)] != 0) break;
                    unit = next;
                }
            }
        }
        const std::uint32_t entry = table[row + classes[units[i]]];
        row = entry >> 2;
        shallow = (entry & 2) != 0;
        if ((entry & 1) == 0) continue;
        const std::size_t state = row / classes_;
        for (std::uint32_t o = output_begin_[state]; o < output_begin_[state + 1]; ++o) {
            const std::uint32_t k = outputs_[o];
            if (first[k] == kAbsent) {
                first[k] = i + 1 - lengths_[k];
                --missing;
            }
        }
    }
}

}  // namespace qx
