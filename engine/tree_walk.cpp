#include "tree_walk.h"

#include <vector>

#include "os/dir_reader.h"
#include "os/path.h"

namespace qx {

int WalkTree(const std::u16string& directory, TreeVisitor& visitor) {
    visitor.OnDirectory(directory);
    int files = 0;
    std::vector<std::u16string> subdirectories;
    {
        os::DirReader reader;
        os::DirEntry entry;
        std::u16string path;
        if (reader.Open(directory)) {
            while (!visitor.StopRequested() && reader.Next(entry)) {
                if (entry.name == u"." || entry.name == u"..") continue;
                const bool whole = os::JoinPath(directory, entry.name, path);
                if (entry.kind == os::EntryKind::kDirectory) {
                    if (whole) subdirectories.push_back(path);
                } else if (entry.kind == os::EntryKind::kFile) {
                    visitor.OnFile(path, !whole, entry.name);
                    ++files;
                }
            }
        }
    }
    for (const std::u16string& subdirectory : subdirectories) {
        if (visitor.StopRequested()) break;
        files += WalkTree(subdirectory, visitor);
    }
    return files;
}

}  // namespace qx
