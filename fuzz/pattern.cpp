// Compiles arbitrary patterns and searches arbitrary texts with every flag,
// under the engine's depth, work and memory bounds: nothing may crash, hang
// or report positions outside the text.
//
// Input: one byte of flags, the pattern, a 0 byte, the text. Every other byte
// is one UTF-16 unit; 0xFF followed by two bytes (little-endian) is any unit,
// so that NULs and units above 255 reach the engine too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_units.h"
#include "pattern.h"

namespace {

using qx::fuzz::Check;
using qx::fuzz::DecodeUnits;
using qx::pattern::CMatchContext;
using qx::pattern::CMatchResult;
using qx::pattern::CPatternT;

constexpr std::int64_t kFuzzWork = std::int64_t{1} << 20;

void CheckResult(const CMatchResult& result, std::size_t length, int maxGroup) {
    if (!result.IsMatched()) return;
    Check(result.MaxGroupNumber() == maxGroup);
    for (int group = 0; group <= maxGroup; ++group) {
        const int start = result.GetGroupStart(group), end = result.GetGroupEnd(group);
        if (start == -1 && end == -1 && group > 0) continue;
        Check(0 <= start && start <= end && static_cast<std::size_t>(end) <= length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int flags = data[0] & 0x3f;
    std::u16string pattern, text;
    const std::size_t textAt = DecodeUnits(data, size, 1, true, pattern);
    DecodeUnits(data, size, textAt, false, text);

    CPatternT<char16_t> compiled(pattern.data(), static_cast<int>(pattern.size()), flags);
    // A smaller work allowance than the engine's keeps runs fast; the depth
    // and memory bounds apply as they are.
    CMatchContext context;
    context.LimitWork(kFuzzWork);
    const CMatchResult result = compiled.Search(text.data(), text.size(), context);
    CheckResult(result, text.size(), compiled.GetMaxGroupNumber());
    if (context.Aborted()) return 0;

    // Below the bounds a search is deterministic, the C-string form stops at
    // the text's first NUL, and the rules' entry point agrees.
    const CMatchResult again = compiled.Search(text.data(), text.size());
    Check(again.IsMatched() == result.IsMatched() && again.GetStart() == result.GetStart() &&
          again.GetEnd() == result.GetEnd());
    if (text.find(u'\0') == std::u16string::npos) {
        Check(compiled.Search(text.c_str()).IsMatched() == result.IsMatched());
        if (pattern.find(u'\0') == std::u16string::npos)
            Check(qx::pattern::PatternMatches(pattern.c_str(), text.data(), text.size(), flags) ==
                  result.IsMatched());
    }
    return 0;
}
