// The depth-first walk that scans and cleans share: every file of a directory
// before any of its subdirectories, entries in the order the platform lists
// them, and a stop honoured at the next entry and before each subdirectory.
// Directories are held open while the walk is below them, so every file is
// opened through the directory it was listed in (see os/dir_reader.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/dir_reader.h"

namespace qx {

// One file as the walk reaches it.
struct WalkEntry {
    // The open directory that lists it: its name opens it there. Shared, so
    // that the file can still be opened after the walk has moved on.
    std::shared_ptr<const os::Directory> directory;
    std::u16string_view name;
    // Its full path; on Windows cut to the platform's limit when `whole` is
    // false (a cut path names some other file: it is never opened).
    const std::u16string& path;
    bool whole;
};

class TreeVisitor {
  public:
    virtual ~TreeVisitor() = default;
    virtual bool StopRequested() const = 0;
    // At the start of every directory, the root included, before its entries.
    virtual void OnDirectory(const std::u16string& path) = 0;
    // For every file: anything listed that is not a directory.
    virtual void OnFile(const WalkEntry& file) = 0;
    // Whether to enter a subdirectory (with everything below it).
    virtual bool ShouldEnter(const std::u16string& /*path*/, std::u16string_view /*name*/) {
        return true;
    }
    // A directory that could not be opened or listed, or was listed only in
    // part; `error` is the system's code.
    virtual void OnUnlistable(const std::u16string& /*path*/, std::uint32_t /*error*/) {}
};

// Work given for files in walk order keeps each one's directory open (see
// WalkEntry): a directory's files come one after another, so counting the
// first of each counts the directories held, give or take the one whose
// files are being told.
class DirectoryRuns {
  public:
    bool First(const std::shared_ptr<const os::Directory>& directory) {
        if (directory == last_) return false;
        last_ = directory;
        return true;
    }

  private:
    std::shared_ptr<const os::Directory> last_;
};

// Walks the directory at `root` (a link there is followed: the root is the
// caller's choice) and returns the number of files visited in and below it.
// Links to directories below the root are never entered.
int WalkTree(const std::u16string& root, TreeVisitor& visitor);

}  // namespace qx
