#include "rules/rule_frame.h"

#include <new>

#include "fingerprint.h"
#include "os/codepage.h"
#include "os/debug_log.h"
#include "pattern/pattern.h"
#include "rules/rule_sets.h"
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

// The whole text of the file, lines joined by CR LF; empty when the file
// cannot be opened or read. The file is closed again on return.
std::u16string ReadWholeText(std::u16string_view path) {
    std::u16string text;
    try {
        CTextFileRead reader(path);
        reader.ReadText(text, u"\r\n");
    } catch (const CTextFileException& e) {
        os::DebugLine("cannot read %s: system error %u", os::Utf16ToUtf8(path).c_str(),
                      static_cast<unsigned>(e.Error()));
        return {};
    } catch (const std::bad_alloc&) {
        os::DebugLine("cannot read %s: out of memory", os::Utf16ToUtf8(path).c_str());
        return {};
    }
    return text;
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

bool MatchPattern(const char16_t* pattern, std::u16string_view folded_text) {
    return pattern::PatternMatches(pattern, folded_text.data(), folded_text.size());
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

Rating RunRuleSet(std::u16string_view path, Cascade cascade) {
    std::u16string text = ReadWholeText(path);
    if (text.empty()) return {};

    FoldText(text);
    const Decision decision = cascade(RuleText(text));
    if (decision.verdict == VerdictNone) return {};

    Rating rating{decision.verdict, ReasonSentence(decision)};
    if (rating.reason.size() > kMaxReasonUnits) rating.reason.resize(kMaxReasonUnits);
    // Levels 1 and 2 are opinions about constructs; a file known to be good
    // overrules them, though the reason stays.
    if (rating.verdict != VerdictTrojan && IsKnownGoodFingerprint(FileFingerprint(path))) {
        rating.verdict = VerdictNone;
    }
    return rating;
}

Rating CheckFile(Family family, std::u16string_view path) {
    switch (family) {
        case Family::kAsp:
            return CheckAspFile(path);
        case Family::kAspx:
            return CheckAspxFile(path);
        case Family::kPhp:
            return CheckPhpFile(path);
        case Family::kJsp:
            return CheckJspFile(path);
    }
    return {};
}

}  // namespace qx
