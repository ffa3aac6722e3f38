#include "tree_walk.h"

#include <vector>

#include "os/path.h"

namespace qx {
namespace {

int WalkOpened(const std::shared_ptr<const os::Directory>& directory, TreeVisitor& visitor) {
    int files = 0;
    std::vector<std::u16string> subdirectories;
    {
        os::DirReader reader;
        if (!reader.Open(*directory)) {
            visitor.OnUnlistable(directory->Path(), reader.LastError());
            return 0;
        }
        os::DirEntry entry;
        std::u16string path;
        while (!visitor.StopRequested() && reader.Next(entry)) {
            if (entry.name == u"." || entry.name == u"..") continue;
            if (entry.kind == os::EntryKind::kDirectory) {
                subdirectories.push_back(entry.name);
            } else if (entry.kind == os::EntryKind::kFile) {
                const bool whole = os::JoinPath(directory->Path(), entry.name, path);
                visitor.OnFile({directory, entry.name, path, whole});
                ++files;
            }
        }
        if (reader.LastError() != 0) visitor.OnUnlistable(directory->Path(), reader.LastError());
    }
    for (const std::u16string& name : subdirectories) {
        if (visitor.StopRequested()) break;
        auto child = std::make_shared<os::Directory>();
        const bool opened = child->OpenChild(*directory, name);
        if (!opened && child->LastError() == os::kPathTooLong) {
            // Windows: the path would have to be cut and would name another
            // directory, so it is neither reported as entered nor listed.
            visitor.OnUnlistable(child->Path(), child->LastError());
            continue;
        }
        if (!visitor.ShouldEnter(child->Path(), name)) continue;
        visitor.OnDirectory(child->Path());
        if (!opened) {
            visitor.OnUnlistable(child->Path(), child->LastError());
            continue;
        }
        files += WalkOpened(child, visitor);
    }
    return files;
}

}  // namespace

int WalkTree(const std::u16string& root, TreeVisitor& visitor) {
    visitor.OnDirectory(root);
    auto directory = std::make_shared<os::Directory>();
    if (!directory->OpenRoot(root)) {
        visitor.OnUnlistable(root, directory->LastError());
        return 0;
    }
    return WalkOpened(directory, visitor);
}

}  // namespace qx
