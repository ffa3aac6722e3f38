// A file that starts with a UTF-16 mark is rated both as UTF-16 and as the
// same bytes without the mark: its verdict is never below that of the file
// without the mark, whatever the bytes. Rated from memory: no file is written.
#include <cstdint>
#include <string>

#include "file_rating.h"

namespace {

int Rate(qx::FileRater& rater, qx::Family family, const std::string& bytes) {
    return rater.RateBytes({family, false}, bytes).finding.verdict;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static qx::FileRater rater;
    const qx::Family family = static_cast<qx::Family>(data[0] % 4);
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // Bytes that begin with a mark of their own would be read otherwise.
    for (const std::string_view mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"}) {
        if (bytes.rfind(mark, 0) == 0) return 0;
    }
    const int plain = Rate(rater, family, bytes);
    for (const char* mark : {"\xFF\xFE", "\xFE\xFF"}) {
        if (Rate(rater, family, mark + bytes) < plain) __builtin_trap();
    }
    return 0;
}
