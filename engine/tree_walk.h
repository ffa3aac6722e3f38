// The depth-first walk that scans and cleans share: every file of a directory
// before any of its subdirectories, entries in the order the platform lists
// them, and a stop honoured at the next entry and before each subdirectory.
#pragma once

#include <string>
#include <string_view>

namespace qx {

class TreeVisitor {
  public:
    virtual ~TreeVisitor() = default;
    virtual bool StopRequested() const = 0;
    // At the start of every directory, before its entries.
    virtual void OnDirectory(const std::u16string& directory) = 0;
    // For every file: its full path (cut to the platform's limit; `cut` tells)
    // and its own name.
    virtual void OnFile(const std::u16string& path, bool cut, std::u16string_view name) = 0;
};

// Walks `directory` and returns the number of files visited in and below it.
// Links to directories are never entered, nor are directories whose path
// would have to be cut (it would name another directory): this keeps the walk
// inside the tree and finite.
int WalkTree(const std::u16string& directory, TreeVisitor& visitor);

}  // namespace qx
