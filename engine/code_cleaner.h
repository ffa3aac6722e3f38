// Blanks a snippet of planted markup out of a site's pages in place: the first
// occurrence in each page becomes spaces of the same length, so the page's
// length and every other byte stay as they were. This is the engine's C++
// interface for cleans: the C interface's sessions and the command line both
// drive it.
//
// A page is never written through a link at any level (every open below the
// root goes through the walk's directories), nor when it has other hard
// links, lies outside the tree (Windows), or changed since it was searched:
// under an exclusive advisory lock the page's size and the bytes at the
// occurrence are checked again, and only the blanked bytes are written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/dir_reader.h"
#include "os/file.h"
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
// calling thread's ANSI code page (or the named code set) first, as a page
// saved in it would hold the markup.
CleanCode BuildCleanCode(std::u16string_view text, std::string_view code_set = {});

// What cleaning one page came to.
struct PageOutcome {
    enum class Kind {
        kNoMarkup,  // searched; the markup is not there (or the page is empty)
        kCleaned,   // the first occurrence was blanked
        kFound,     // a dry run found the markup and wrote nothing
        kFailed,    // the markup is there and the page was left as it was
        kTooLarge,  // over kMaxPageBytes: not searched
        kUnreadable,
    };
    enum class Why {
        kNone,
        kSystem,        // `error` is the system's code
        kCannotWrite,   // the page cannot be opened for writing (`error`)
        kOtherLinks,    // the page has other hard links
        kOutsideTree,   // its final path lies outside the tree (Windows)
        kChanged,       // changed between search and write
        kPathTooLong,   // Windows: the path would have to be cut
        kBeforeChange,  // the client's BeforeChange refused
    };
    Kind kind = Kind::kNoMarkup;
    Why why = Why::kNone;
    std::uint32_t error = 0;

    // The C interface's result: pages it cannot open for writing stay silent there.
    CleanResult Result() const;
};

struct CleanSettings {
    // Search only: report the pages that hold the markup, write nothing.
    bool dry_run = false;
    // Cleaning threads; 0: one per processor core. Each page is changed by
    // one thread; the walk and the client's calls stay on the caller's.
    int threads = 0;
};

// What a clean tells its client, on the thread that runs it, in walk order.
class CleanClient {
  public:
    virtual ~CleanClient() = default;
    // Checked between directory entries and before each subdirectory.
    virtual bool StopRequested() const { return false; }
    // At the start of every directory, the root included, before its entries.
    virtual void OnDirectory(const std::u16string&) {}
    // For every file, before it is cleaned.
    virtual void OnFile(const std::u16string&) {}
    // Just before a page is changed, with the page open, on the thread that
    // changes it; false leaves the page unchanged (kFailed, kBeforeChange)
    // with `why` as the reason.
    virtual bool BeforeChange(const std::u16string& /*path*/, const os::File& /*page*/,
                              std::string& /*why*/) {
        return true;
    }
    // Every cleanable page that was not simply free of the markup, and a
    // failed page's reason (the text BeforeChange gave, else empty).
    virtual void OnPage(const std::u16string& path, const PageOutcome& outcome,
                        const std::string& why) = 0;
    // A directory that could not be opened or listed in full.
    virtual void OnUnlistable(const std::u16string& /*path*/, std::uint32_t /*error*/) {}
};

// Cleans the pages of the tree at `root` (a link there is followed) for
// `client`; returns the number of files visited.
int CleanTree(const std::u16string& root, const CleanCode& code, CleanClient& client,
              const CleanSettings& settings = {});

// Cleans the one page at `path` (whatever its extension) as the walk would,
// its directory standing for the tree.
PageOutcome CleanFile(const CleanCode& code, std::u16string_view path,
                      const CleanSettings& settings = {});

}  // namespace qx
