// Blanks a snippet of planted markup out of a site's pages in place: the first
// occurrence in each page becomes spaces of the same length, so the page's
// length and every other byte stay as they were.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

struct CleanSession;

// The markup in one byte encoding, and as many blanks in that encoding.
struct CleanForm {
    std::string pattern;
    std::string blanks;
};

// The markup as it may stand in a page: UTF-8, the ANSI code page, UTF-16 LE.
struct CleanCode {
    bool set = false;
    CleanForm utf8, ansi, utf16;
};

enum CleanResult : int {
    CleanNoMatch = -1,
    CleanFailed = 0,
    CleanSucceeded = 1,
};

inline constexpr std::size_t kMaxPageBytes = 10 * 1024 * 1024;
inline constexpr std::size_t kCleanChunkBytes = 512 * 1024;

// Builds the three forms from 1 to 340 UTF-16 units, converting through the
// calling thread's ANSI code page first, as a page saved in it would hold
// the markup.
CleanCode BuildCleanCode(std::u16string_view text);

// Cleans the first occurrence in one page. `chunk` is scratch space.
CleanResult CleanFile(const CleanCode& code, std::u16string_view path,
                      std::vector<std::uint8_t>& chunk);

// The walk of a clean session's worker; returns the number of files visited.
int CleanDirectory(CleanSession& session, const std::u16string& directory);

}  // namespace qx
