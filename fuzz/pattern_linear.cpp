// The linear search against the backtracker: for every pattern the linear
// search takes, both must tell alike whether a match starts at or after a
// position, wherever the backtracker finishes within its allowance; the
// linear search must always finish.
//
// Input: one byte of flags, one byte choosing a start position, the pattern,
// a 0 byte, the text. Every other byte is one UTF-16 unit; 0xFF followed by
// two bytes (little-endian) is any unit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_units.h"
#include "pattern.h"

namespace {

using qx::fuzz::Check;
using qx::fuzz::DecodeUnits;
using qx::pattern::CMatchContext;
using qx::pattern::CPatternT;
using qx::pattern::MatchOutcome;

// The backtracker's allowance per comparison, small enough that an input
// compared from every start stays fast under the sanitizers.
constexpr std::int64_t kFuzzWork = std::int64_t{1} << 16;
// Texts up to this long are tested from every position.
constexpr std::size_t kEveryStart = 24;

void Compare(const CPatternT<char16_t>& pattern, const std::u16string& text, std::size_t from) {
    const MatchOutcome linear = pattern.Test(text.data(), text.size(), from);
    Check(linear != MatchOutcome::kStopped);
    CMatchContext context;
    context.UseBacktracker();
    context.LimitWork(kFuzzWork);
    const MatchOutcome backtracked = pattern.Test(text.data(), text.size(), from, context);
    if (backtracked != MatchOutcome::kStopped) Check(linear == backtracked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int flags = data[0] & 0x3f;
    std::u16string pattern, text;
    const std::size_t textAt = DecodeUnits(data, size, 2, true, pattern);
    DecodeUnits(data, size, textAt, false, text);

    const CPatternT<char16_t> compiled(pattern.data(), static_cast<int>(pattern.size()), flags);
    if (!compiled.LinearSearchable()) return 0;
    if (text.size() <= kEveryStart) {
        for (std::size_t from = 0; from <= text.size() + 1; ++from) Compare(compiled, text, from);
    } else {
        Compare(compiled, text, 0);
        Compare(compiled, text, data[1] % (text.size() + 1));
    }
    return 0;
}
