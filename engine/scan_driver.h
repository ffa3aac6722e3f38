// The scan of a tree: the walk, the routing of each file to its family's rule
// set and the file's rating, told to a client in walk order on the thread
// that runs the scan. Both the C interface's sessions and the command line
// scan through it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "rules/rule_sets.h"

namespace qx {

// The family whose extension list holds the extension of `name` (compared
// without regard to ASCII case), if any.
std::optional<Family> FamilyOfName(std::u16string_view name);

class ScanClient {
  public:
    virtual ~ScanClient() = default;

    // Checked between directory entries and before each subdirectory.
    virtual bool StopRequested() const { return false; }
    // The family whose rule set rates a file of this name, if any; asked once
    // for every file, when it is reached. By default every family's files.
    virtual std::optional<Family> Route(std::u16string_view name) { return FamilyOfName(name); }

    // At the start of every directory, the root included, before its entries.
    virtual void OnDirectory(const std::u16string&) {}
    // For every file, whatever its name, before it is rated.
    virtual void OnFile(const std::u16string&) {}
    // A file rated above 0.
    virtual void OnFinding(const std::u16string& path, const Rating& rating) = 0;
};

// Scans the tree at `root` for `client`; returns the number of files visited.
int ScanTree(const std::u16string& root, ScanClient& client);

}  // namespace qx
