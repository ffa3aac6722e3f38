#include "rules/keyword_automaton.h"

#include <algorithm>
#include <deque>

namespace qx {
namespace {

std::vector<std::u16string_view> NonEmpty(const std::vector<std::u16string_view>& keywords) {
    std::vector<std::u16string_view> found;
    for (const std::u16string_view keyword : keywords) {
        if (!keyword.empty()) found.push_back(keyword);
    }
    return found;
}

}  // namespace

KeywordAutomaton::KeywordAutomaton(const std::vector<std::u16string_view>& keywords)
    : class_of_(0x10000, 0), beginnings_(NonEmpty(keywords)) {
    for (const std::u16string_view keyword : keywords) {
        for (const char16_t unit : keyword) {
            if (class_of_[unit] == 0) class_of_[unit] = static_cast<std::uint16_t>(classes_++);
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
    table_.resize(next.size());
    for (std::size_t i = 0; i < next.size(); ++i) {
        const std::size_t matched = std::min(depth[next[i]], beginnings_.Units());
        table_[i] = static_cast<std::uint32_t>(next[i] * classes_ * 16 + matched * 2) +
                    (ends[next[i]].empty() ? 0 : 1);
    }
    output_begin_.push_back(0);
    for (const std::vector<std::uint32_t>& found : ends) {
        outputs_.insert(outputs_.end(), found.begin(), found.end());
        output_begin_.push_back(static_cast<std::uint32_t>(outputs_.size()));
    }
}

void KeywordAutomaton::Report(std::size_t row, std::size_t end, std::vector<std::size_t>& first,
                              std::size_t& missing) const {
    const std::size_t state = row / classes_;
    for (std::uint32_t o = output_begin_[state]; o < output_begin_[state + 1]; ++o) {
        const std::uint32_t k = outputs_[o];
        if (first[k] == kAbsent) {
            first[k] = end - lengths_[k];
            --missing;
        }
    }
}

void KeywordAutomaton::FindFirst(std::u16string_view text, std::vector<std::size_t>& first) const {
    first.assign(lengths_.size(), kAbsent);
    std::size_t missing = lengths_.size() - empty_.size();
    for (const std::size_t k : empty_) first[k] = 0;
    const std::uint16_t* const classes = class_of_.data();
    const std::uint32_t* const table = table_.data();
    const char16_t* const units = text.data();
    const std::size_t size = text.size();
    std::size_t i = 0;
    if (beginnings_.Usable()) {
        const pattern::BeginningSet& beginnings = beginnings_;
        const std::size_t units_told = beginnings.Units();
        constexpr std::size_t kReadable = pattern::BeginningSet::kReadable;
        // Nothing under way: pass the positions where no keyword begins, then
        // follow the automaton from the start where one may, until what is
        // under way is shorter than a beginning and began after that
        // position; the pass then goes on from where it began. A keyword
        // under way is never dropped, and a unit is looked at no more
        // times than the beginnings tell units.
        while (missing > 0) {
            // Four positions a step while none may begin a keyword (one
            // branch for four), then one by one to the one that may.
            while (i + 3 + kReadable <= size &&
                   (beginnings.Bit(units + i) | beginnings.Bit(units + i + 1) |
                    beginnings.Bit(units + i + 2) | beginnings.Bit(units + i + 3)) == 0) {
                i += 4;
            }
            while (i + kReadable <= size && beginnings.Bit(units + i) == 0) ++i;
            if (i + kReadable > size) break;  // the last units: followed below
            const std::size_t begin = i;
            std::size_t row = 0;
            while (i < size) {
                const std::uint32_t entry = table[row + classes[units[i++]]];
                row = entry >> 4;
                if ((entry & 1) != 0) {
                    Report(row, i, first, missing);
                    if (missing == 0) return;
                }
                const std::size_t matched = (entry >> 1) & 7;
                if (matched < units_told && i - matched > begin) {
                    i -= matched;
                    break;
                }
            }
        }
    }
    for (std::size_t row = 0; i < size && missing > 0;) {
        const std::uint32_t entry = table[row + classes[units[i++]]];
        row = entry >> 4;
        if ((entry & 1) != 0) Report(row, i, first, missing);
    }
}

}  // namespace qx
