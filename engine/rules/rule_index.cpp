#include "rules/rule_index.h"

#include <bit>
#include <cstdint>
#include <unordered_set>

namespace qx {
namespace {

// A question's place in the cascade and what it asks; `repeat` tells apart
// the same question asked twice on one line.
struct Question {
    QuestionSite site;
    std::u16string_view keyword;
    const char16_t* pattern;
    int repeat = 0;
    bool operator==(const Question&) const = default;
};

struct QuestionHash {
    std::size_t operator()(const Question& q) const {
        const std::size_t site = std::hash<const void*>()(q.site.file) ^
                                 std::hash<int>()(q.site.line * 4099 + q.site.item * 31 + q.repeat);
        return site ^ std::hash<std::u16string_view>()(q.keyword) ^
               std::hash<const void*>()(q.pattern);
    }
};

// Runs a cascade with answers given by a script, then "no" to every further
// question. The "yes" of each question met for the first time is a branch
// still to explore. A cascade keeps no state between its questions, so what
// follows a question's answer depends only on where the question stands and
// on later answers: each question's "yes" needs exploring once, and the
// exploration takes about as many runs as the cascade has questions.
class Explorer : public CascadeQuestioner {
  public:
    Explorer(const std::vector<bool>& script, std::unordered_set<Question, QuestionHash>& branched)
        : script_(script), branched_(branched) {}

    bool AskKeyword(std::u16string_view keyword, const QuestionSite& site) override {
        keywords.push_back(keyword);
        return Answer({site, keyword, nullptr});
    }
    bool AskPattern(const char16_t* pattern, const QuestionSite& site) override {
        patterns.push_back(pattern);
        return Answer({site, {}, pattern});
    }
    bool AskShorter(const QuestionSite& site) override { return Answer({site, {}, nullptr}); }

    std::vector<std::u16string_view> keywords;
    std::vector<const char16_t*> patterns;
    std::vector<std::size_t> open_branches;  // questions whose "yes" is still to explore

  private:
    bool Answer(Question question) {
        for (const Question& earlier : asked_questions_) {
            if (earlier == question) ++question.repeat;
        }
        asked_questions_.push_back(question);
        const std::size_t asked = asked_++;
        if (asked < script_.size()) return script_[asked];
        if (branched_.insert(question).second) open_branches.push_back(asked);
        return false;
    }

    const std::vector<bool>& script_;
    std::unordered_set<Question, QuestionHash>& branched_;
    std::vector<Question> asked_questions_;
    std::size_t asked_ = 0;
};

}  // namespace

CascadeQuestions ExploreCascade(Cascade cascade) {
    CascadeQuestions questions;
    std::unordered_set<std::u16string_view> keywords_seen;
    std::unordered_set<const char16_t*> patterns_seen;
    std::unordered_set<Question, QuestionHash> branched;
    std::vector<std::vector<bool>> scripts(1);
    while (!scripts.empty()) {
        const std::vector<bool> script = std::move(scripts.back());
        scripts.pop_back();
        Explorer explorer(script, branched);
        cascade(RuleText(explorer));
        for (const std::u16string_view keyword : explorer.keywords) {
            if (keywords_seen.insert(keyword).second) questions.keywords.push_back(keyword);
        }
        for (const char16_t* pattern : explorer.patterns) {
            if (patterns_seen.insert(pattern).second) questions.patterns.push_back(pattern);
        }
        for (const std::size_t question : explorer.open_branches) {
            std::vector<bool> yes = script;
            yes.resize(question, false);
            yes.push_back(true);
            scripts.push_back(std::move(yes));
        }
    }
    return questions;
}

RuleIndex::RuleIndex(Cascade cascade) {
    const CascadeQuestions questions = ExploreCascade(cascade);
    const auto add = [this](std::u16string_view keyword) {
        const auto [at, added] =
            keyword_index_.emplace(keyword, static_cast<int>(keywords_.size()));
        if (added) keywords_.push_back(keyword);
        return at->second;
    };
    by_address_.resize(std::bit_ceil(questions.keywords.size() * 2 + 2));
    for (const std::u16string_view keyword : questions.keywords) {
        RememberAddress(keyword, add(keyword));
    }
    for (const char16_t* source : questions.patterns) {
        auto pattern = std::make_unique<Pattern>();
        pattern->compiled.Compile(source);
        for (const auto& literal : pattern->compiled.RequiredLiterals()) {
            pattern->literals.emplace_back(add(literal.text), literal.offset);
        }
        patterns_.emplace(source, std::move(pattern));
    }
    automaton_ = std::make_unique<KeywordAutomaton>(keywords_);
}

namespace {

std::size_t AddressHash(const char16_t* data, std::size_t mask) {
    return static_cast<std::size_t>(
               (reinterpret_cast<std::uintptr_t>(data) * 0x9E3779B97F4A7C15ull) >> 32) &
           mask;
}

}  // namespace

void RuleIndex::RememberAddress(std::u16string_view keyword, int index) {
    const std::size_t mask = by_address_.size() - 1;
    for (std::size_t slot = AddressHash(keyword.data(), mask);; slot = (slot + 1) & mask) {
        AddressSlot& at = by_address_[slot];
        if (at.data == keyword.data() && at.size == keyword.size()) return;
        if (at.data == nullptr) {
            at = {keyword.data(), keyword.size(), index};
            return;
        }
    }
}

int RuleIndex::KeywordIndex(std::u16string_view keyword) const {
    const std::size_t mask = by_address_.size() - 1;
    for (std::size_t slot = AddressHash(keyword.data(), mask);; slot = (slot + 1) & mask) {
        const AddressSlot& at = by_address_[slot];
        if (at.data == nullptr) break;
        if (at.data == keyword.data() && at.size == keyword.size()) return at.index;
    }
    // Text made elsewhere than where the exploration met it.
    const auto found = keyword_index_.find(keyword);
    return found == keyword_index_.end() ? -1 : found->second;
}

const RuleIndex::Pattern* RuleIndex::Find(const char16_t* source) const {
    const auto found = patterns_.find(source);
    return found == patterns_.end() ? nullptr : found->second.get();
}

}  // namespace qx
