#include "rules/rule_frame.h"

#include <algorithm>
#include <new>

#include "fingerprint.h"
#include "os/codepage.h"
#include "os/debug_log.h"
#include "pattern/pattern.h"
#include "rules/signature_table.h"
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

// Cut to the buffer, never overrun.
void WriteReason(char16_t* reason, std::u16string_view sentence) {
    const std::size_t units = std::min(sentence.size(), kReasonTextUnits - 1);
    std::copy_n(sentence.data(), units, reason);
    reason[units] = u'\0';
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

RuleItem Row(std::size_t n) {
    return Row(n, Trojan(SignatureTable[n].name));
}

RuleItem Row(std::size_t n, Decision decision) {
    return {SignatureTable[n].pattern, decision};
}

RuleItem UploadModuleRow(std::size_t n) {
    return Row(n, SuspiciousUploadModule(SignatureTable[n].name));
}

Decision RuleText::FirstOf(std::initializer_list<RuleItem> items) const {
    for (const RuleItem& item : items) {
        if (Has(item.keyword)) return item.decision;
    }
    return Nothing();
}

int RunRuleSet(char16_t* reason, const char16_t* path, Cascade cascade) {
    const std::u16string_view file(path);
    std::u16string text = ReadWholeText(file);
    if (text.empty()) return VerdictNone;

    FoldText(text);
    const Decision decision = cascade(RuleText(text));
    if (decision.verdict == VerdictNone) return VerdictNone;

    WriteReason(reason, ReasonSentence(decision));
    if (decision.verdict == VerdictTrojan) return VerdictTrojan;
    // Levels 1 and 2 are opinions about constructs; a file known to be good
    // overrules them, though the reason stays written.
    return IsKnownGoodFingerprint(FileFingerprint(file)) ? VerdictNone : decision.verdict;
}

}  // namespace qx
