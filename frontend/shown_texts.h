// The texts that both front ends show, defined once: the verdict and
// clean-result words, the run summaries and the network listing's one
// message. The window and the command line lay these out; they never word
// them anew.
#pragma once

#include <string>
#include <string_view>

namespace qx::frontend {

// 可疑, 危险 or 木马 for the verdict codes 1 to 3; empty for any other code.
std::u16string_view VerdictWord(int verdict);
// The verdict's stable English name for machines: suspicious, dangerous,
// trojan; empty for any other code.
std::string_view VerdictLevel(int verdict);
// The verdict code that VerdictLevel names `level`; 0 for any other text.
int VerdictOfLevel(std::string_view level);
// 清除成功 or 清除失败 for a page result; empty for any other code.
std::u16string_view CleanResultWord(int result);

struct ScanTotals {
    int files = 0, suspicious = 0, dangerous = 0, trojan = 0;
};
// The sentence that ends a scan.
std::u16string ScanSummary(const ScanTotals& totals);

struct CleanTotals {
    int files = 0, cleaned = 0, failed = 0;
};
// The sentence that ends a clean.
std::u16string CleanSummary(const CleanTotals& totals);

// The connection tables answered that this system is not supported.
inline constexpr std::u16string_view kUnsupportedSystem = u"不支持该操作系统";

}  // namespace qx::frontend
