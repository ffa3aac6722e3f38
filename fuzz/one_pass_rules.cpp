// The one-pass way of answering the cascades against the step-by-step
// reference, on random text: the same verdict, reason and stop for every
// family. Seeded with the marked-file fuzzer's pages of the sample site
// (a family byte, then a page), which hold the cascades' keywords.
#include <cstdint>
#include <string>

#include "rules/rule_index.h"
#include "rules/rule_sets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const qx::Family family = static_cast<qx::Family>(data[0] % 4);
    // Bytes as units, so that text with and without Chinese both arise.
    std::u16string text;
    for (std::size_t i = 1; i < size; ++i) {
        text.push_back(data[i] >= 0xF0 && i + 1 < size ? static_cast<char16_t>(0x4E00 + data[++i])
                                                       : static_cast<char16_t>(data[i]));
    }
    qx::FoldText(text);
    const qx::Cascade cascade = qx::CascadeOf(family);
    const qx::CascadeRating reference = qx::RunCascade(cascade, text);
    const qx::CascadeRating one_pass = qx::RunCascade(cascade, text, &qx::RuleIndexOf(family));
    if (reference.rating.verdict != one_pass.rating.verdict ||
        reference.rating.reason != one_pass.rating.reason ||
        reference.search_stopped != one_pass.search_stopped) {
        __builtin_trap();
    }
    return 0;
}
