#include "frontend/shown_texts.h"

#include "quellix.h"

namespace qx::frontend {
namespace {

std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

}  // namespace

std::u16string_view VerdictWord(int verdict) {
    switch (verdict) {
        case QX_VERDICT_SUSPICIOUS:
            return u"可疑";
        case QX_VERDICT_DANGEROUS:
            return u"危险";
        case QX_VERDICT_TROJAN:
            return u"木马";
        default:
            return {};
    }
}

std::string_view VerdictLevel(int verdict) {
    switch (verdict) {
        case QX_VERDICT_SUSPICIOUS:
            return "suspicious";
        case QX_VERDICT_DANGEROUS:
            return "dangerous";
        case QX_VERDICT_TROJAN:
            return "trojan";
        default:
            return {};
    }
}

int VerdictOfLevel(std::string_view level) {
    for (const int verdict : {QX_VERDICT_SUSPICIOUS, QX_VERDICT_DANGEROUS, QX_VERDICT_TROJAN}) {
        if (level == VerdictLevel(verdict)) return verdict;
    }
    return 0;
}

std::u16string_view CleanResultWord(int result) {
    switch (result) {
        case QX_CLEAN_SUCCEEDED:
            return u"清除成功";
        case QX_CLEAN_FAILED:
            return u"清除失败";
        default:
            return {};
    }
}

std::u16string ScanSummary(const ScanTotals& t) {
    const std::u16string head = u"本次扫描过程共检查" + Number(t.files) + u"个文件，";
    if (t.suspicious == 0 && t.dangerous == 0 && t.trojan == 0) {
        return head + u"未发现可疑的后门木马文件。";
    }
    return head + u"其中木马脚本文件" + Number(t.trojan) + u"个，风险脚本文件" +
           Number(t.dangerous) + u"个，可疑脚本文件" + Number(t.suspicious) + u"个。";
}

std::u16string CleanSummary(const CleanTotals& t) {
    const std::u16string head = u"本次清除过程共扫描" + Number(t.files) + u"个文件，";
    if (t.cleaned == 0 && t.failed == 0) return head + u"未发现含有挂马代码的页面。";
    return head + u"其中挂马代码页面" + Number(t.cleaned) + u"个清除成功，" + Number(t.failed) +
           u"个清除失败。";
}

}  // namespace qx::frontend
