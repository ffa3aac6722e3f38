#include "rules/rule_frame.h"

#include <algorithm>

#include "pattern/pattern.h"
#include "rules/rule_index.h"
#include "text_file_read.h"

namespace qx {
namespace {

std::u16string ReasonSentence(const Decision& decision) {
    switch (decision.reason) {
        case Decision::Reason::kNamedTrojan:
            return u"发现网页木马" + std::u16string(decision.text) + u"！";
        case Decision::Reason::kUploadModule:
            return u"发现" + std::u16string(decision.text) + u"无组件上传模块！";
        case Decision::Reason::kFixedText:
            break;
    }
    return std::u16string(decision.text);
}

}  // namespace

void FoldText(std::u16string& text) {
    LowerAsciiLetters(text.data(), text.size());
}

bool FindKeyword(std::u16string_view folded_text, std::u16string_view keyword) {
    return folded_text.find(keyword) != std::u16string_view::npos;
}

bool MatchPattern(const char16_t* pattern, std::u16string_view folded_text, bool& stopped) {
    const pattern::MatchOutcome outcome =
        pattern::TestPattern(pattern, folded_text.data(), folded_text.size());
    stopped = stopped || outcome == pattern::MatchOutcome::kStopped;
    return outcome == pattern::MatchOutcome::kMatch;
}

RuleItem Row(Signature row) {
    return Row(row, Trojan(SignatureRow(row).name));
}

RuleItem Row(Signature row, Decision decision) {
    return {SignatureRow(row).pattern, decision};
}

RuleItem UploadModuleRow(Signature row) {
    return Row(row, SuspiciousUploadModule(SignatureRow(row).name));
}

bool RuleText::Has(std::u16string_view keyword, const char* file, int line) const {
    return HasKeyword(keyword, {file, line, 0});
}

bool RuleText::HasKeyword(std::u16string_view keyword, const QuestionSite& site) const {
    if (keyword.empty()) return true;
    if (questioner_) return questioner_->AskKeyword(keyword, site);
    if (index_) {
        const int k = index_->KeywordIndex(keyword);
        if (k >= 0) return (*first_)[static_cast<std::size_t>(k)] != KeywordAutomaton::kAbsent;
    }
    return FindKeyword(text_, keyword);
}

bool RuleText::Matches(const char16_t* pattern, const char* file, int line) const {
    if (questioner_) return questioner_->AskPattern(pattern, {file, line, 0});
    const RuleIndex::Pattern* compiled = index_ ? index_->Find(pattern) : nullptr;
    if (!compiled) return MatchPattern(pattern, text_, stopped_);
    std::size_t from = 0;
    if (!compiled->literals.empty()) {
        // No match can start before the first place where one of its
        // literals stands, less that literal's distance; none: no match.
        from = KeywordAutomaton::kAbsent;
        for (const auto& [keyword, distance] : compiled->literals) {
            const std::size_t at = (*first_)[static_cast<std::size_t>(keyword)];
            if (at == KeywordAutomaton::kAbsent) continue;
            const auto back = static_cast<std::size_t>(distance);
            from = std::min(from, at > back ? at - back : 0);
        }
        if (from == KeywordAutomaton::kAbsent) return false;
    }
    const pattern::MatchOutcome outcome = compiled->compiled.Test(text_.data(), text_.size(), from);
    stopped_ = stopped_ || outcome == pattern::MatchOutcome::kStopped;
    return outcome == pattern::MatchOutcome::kMatch;
}

bool RuleText::ShorterThan(std::size_t units, const char* file, int line) const {
    if (questioner_) return questioner_->AskShorter({file, line, 0});
    return text_.size() < units;
}

Decision RuleText::FirstOf(std::initializer_list<RuleItem> items, const char* file,
                           int line) const {
    int item = 0;
    for (const RuleItem& entry : items) {
        if (HasKeyword(entry.keyword, {file, line, ++item})) return entry.decision;
    }
    return Nothing();
}

CascadeRating RunCascade(Cascade cascade, std::u16string_view text, const RuleIndex* index) {
    CascadeRating result;
    if (text.empty()) return result;
    thread_local std::vector<std::size_t> first;  // kept: a cascade runs for every file
    if (index) index->FindKeywords(text, first);
    const RuleText rule_text = index ? RuleText(text, *index, first) : RuleText(text);
    const Decision decision = cascade(rule_text);
    result.search_stopped = rule_text.SearchStopped();
    if (decision.verdict == VerdictNone) return result;
    result.rating = {decision.verdict, ReasonSentence(decision)};
    if (result.rating.reason.size() > kMaxReasonUnits) result.rating.reason.resize(kMaxReasonUnits);
    return result;
}

}  // namespace qx
