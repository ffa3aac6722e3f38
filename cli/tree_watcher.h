// Changes under directory trees as the platform reports them: inotify with a
// watch on every directory on Linux, ReadDirectoryChangesW over each whole
// tree on Windows. Links below a root are never followed.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx::cli {

struct TreeChange {
    enum class Kind {
        // A file was created, moved in or written to, or lies in a directory
        // that was created or moved in. A file may be told more than once.
        kFile,
        // Changes were lost (the system's queue overflowed): the trees must
        // be looked at again. `what` says which queue.
        kLost,
        // A directory (`path`) could not be watched or listed, and the files
        // below it may go unrated; `what` says why.
        kProblem,
        // Something the user should hear about once, such as a limit of the
        // system that was reached (`what`, one line).
        kNotice,
    };
    Kind kind;
    std::size_t root = 0;  // which tree, in the order they were added
    std::u16string path{};
    std::string what{};
};

// Whether the directory at `path` (named `name`) below tree `root` is to be
// watched, with everything below it.
using DirectoryFilter =
    std::function<bool(std::size_t root, const std::u16string& path, std::u16string_view name)>;

class TreeWatcher {
  public:
    // Throws UsageError when the platform cannot watch at all.
    static std::unique_ptr<TreeWatcher> Create(DirectoryFilter filter);
    virtual ~TreeWatcher() = default;

    // Starts watching the tree at `root` (a link there is followed) and every
    // directory below it that the filter lets in. Empty, or why the root
    // itself cannot be watched. The directories that cannot be are told by
    // the next Wait.
    virtual std::string Watch(const std::u16string& root) = 0;

    // The changes seen since the last call, waiting up to `timeout` for one.
    virtual std::vector<TreeChange> Wait(std::chrono::milliseconds timeout) = 0;
};

}  // namespace qx::cli
