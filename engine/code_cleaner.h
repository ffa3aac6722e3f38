// Blanks a snippet of planted markup out of a site's pages in place: the first
// occurrence in each page becomes spaces of the same length, so the page's
// length and every other byte stay as they were.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quellix.h"

namespace qx {

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
    CleanNoMatch = -1,  // the markup is not in the page: nothing to report
    CleanFailed = QX_CLEAN_FAILED,
    CleanSucceeded = QX_CLEAN_SUCCEEDED,
};
static_assert(CleanFailed == 0 && CleanSucceeded == 1);

inline constexpr std::size_t kMaxPageBytes = 10 * 1024 * 1024;
inline constexpr std::size_t kCleanChunkBytes = 512 * 1024;

// Builds the three forms from 1 to 340 UTF-16 units, converting through the
// calling thread's ANSI code page first, as a page saved in it would hold
// the markup.
CleanCode BuildCleanCode(std::u16string_view text);

// Cleans the first occurrence in one page. `chunk` is scratch space.
CleanResult CleanFile(const CleanCode& code, std::u16string_view path,
                      std::vector<std::uint8_t>& chunk);

// What a clean tells its client, on the thread that runs it, in walk order.
class CleanClient {
  public:
    virtual ~CleanClient() = default;
    // Checked between directory entries and before each subdirectory.
    virtual bool StopRequested() const = 0;
    // At the start of every directory, the root included, before its entries.
    virtual void OnDirectory(const std::u16string& path) = 0;
    // For every file, before it is cleaned.
    virtual void OnFile(const std::u16string& path) = 0;
    // A page in which the markup was found: cleaned or failed.
    virtual void OnPageResult(const std::u16string& path, CleanResult result) = 0;
};

// Cleans the pages of the tree at `root` for `client`; returns the number of
// files visited.
int CleanTree(const std::u16string& root, const CleanCode& code, CleanClient& client);

}  // namespace qx
