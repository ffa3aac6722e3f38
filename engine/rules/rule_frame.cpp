#include "rules/rule_frame.h"

#include <new>

#include "pattern/pattern.h"

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
    for (char16_t& unit : text) {
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 0x20);
    }
}

bool FindKeyword(std::u16string_view folded_text, std::u16string_view keyword) {
    return folded_text.find(keyword) != std::u16string_view::npos;
}

bool MatchPattern(const char16_t* pattern, std::u16string_view folded_text, bool& stopped) {
    try {
        const pattern::CPatternT<char16_t> compiled(pattern);
        pattern::CMatchContext context;
        const bool matched =
            compiled.Search(folded_text.data(), folded_text.size(), context).IsMatched();
        stopped = stopped || context.Aborted();
        return matched;
    } catch (const std::bad_alloc&) {
        stopped = true;  // no memory to compile: a bound like the others
        return false;
    }
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

Decision RuleText::FirstOf(std::initializer_list<RuleItem> items) const {
    for (const RuleItem& item : items) {
        if (Has(item.keyword)) return item.decision;
    }
    return Nothing();
}

CascadeRating RunCascade(Cascade cascade, std::u16string& text) {
    CascadeRating result;
    if (text.empty()) return result;
    FoldText(text);
    const RuleText rule_text(text);
    const Decision decision = cascade(rule_text);
    result.search_stopped = rule_text.SearchStopped();
    if (decision.verdict == VerdictNone) return result;
    result.rating = {decision.verdict, ReasonSentence(decision)};
    if (result.rating.reason.size() > kMaxReasonUnits) result.rating.reason.resize(kMaxReasonUnits);
    return result;
}

}  // namespace qx
