#include "rules/keyword_automaton.h"

#include <deque>

namespace qx {

KeywordAutomaton::KeywordAutomaton(const std::vector<std::u16string_view>& keywords)
    : class_of_(0x10000, 0) {
    for (const std::u16string_view keyword : keywords) {
        for (const char16_t unit : keyword) {
            if (class_of_[unit] == 0) class_of_[unit] = static_cast<std::uint16_t>(classes_++);
        }
    }
    // The trie, as a full table from the start.
    std::vector<std::vector<std::uint32_t>> ends(1);
    next_.assign(classes_, 0);
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        lengths_.push_back(keywords[k].size());
        if (keywords[k].empty()) {
            empty_.push_back(k);
            continue;
        }
        std::uint32_t state = 0;
        for (const char16_t unit : keywords[k]) {
            std::uint32_t& slot = next_[state * classes_ + class_of_[unit]];
            if (slot == 0) {
                slot = static_cast<std::uint32_t>(ends.size());
                ends.emplace_back();
                next_.resize(next_.size() + classes_, 0);
            }
            state = next_[state * classes_ + class_of_[unit]];
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
        if (next_[c] != 0) queue.push_back(next_[c]);
    }
    while (!queue.empty()) {
        const std::uint32_t state = queue.front();
        queue.pop_front();
        const std::vector<std::uint32_t>& inherited = ends[failure[state]];
        ends[state].insert(ends[state].end(), inherited.begin(), inherited.end());
        for (std::size_t c = 0; c < classes_; ++c) {
            std::uint32_t& slot = next_[state * classes_ + c];
            const std::uint32_t fallback = next_[failure[state] * classes_ + c];
            if (slot == 0) {
                slot = fallback;
            } else {
                failure[slot] = fallback;
                queue.push_back(slot);
            }
        }
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
    std::uint32_t state = 0;
    const std::uint16_t* const classes = class_of_.data();
    const std::uint32_t* const next = next_.data();
    for (std::size_t i = 0; i < text.size() && missing > 0; ++i) {
        state = next[state * classes_ + classes[text[i]]];
        const std::uint32_t begin = output_begin_[state], end = output_begin_[state + 1];
        for (std::uint32_t o = begin; o < end; ++o) {
            const std::uint32_t k = outputs_[o];
            if (first[k] == kAbsent) {
                first[k] = i + 1 - lengths_[k];
                --missing;
            }
        }
    }
}

}  // namespace qx
