#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/dir_reader.h"
#include "os/path.h"

namespace qx::os {

struct DirReader::State {
    DIR* dir = nullptr;
};

DirReader::DirReader() : state_(std::make_unique<State>()) {}
DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(std::u16string_view directory) {
    Close();
    // O_NOFOLLOW: a directory swapped for a link after it was listed is not
    // followed out of the tree.
    const int fd =
        ::open(NativePath(directory).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    state_->dir = fdopendir(fd);
    if (state_->dir == nullptr) {
        ::close(fd);
        return false;
    }
    return true;
}

bool DirReader::Next(DirEntry& entry) {
    if (state_->dir == nullptr) return false;
    const dirent* d = readdir(state_->dir);
    if (d == nullptr) return false;
    entry.name = PathFromNative(d->d_name);
    unsigned char type = d->d_type;
    struct stat info;
    if (type == DT_UNKNOWN) {
        const int fd = dirfd(state_->dir);
        if (fstatat(fd, d->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
        }
    }
    if (type == DT_DIR) {
        entry.kind = EntryKind::kDirectory;
    } else if (type == DT_LNK && fstatat(dirfd(state_->dir), d->d_name, &info, 0) == 0 &&
               S_ISDIR(info.st_mode)) {
        entry.kind = EntryKind::kLinkToDirectory;
    } else {
        entry.kind = EntryKind::kFile;
    }
    return true;
}

void DirReader::Close() {
    if (state_->dir != nullptr) closedir(state_->dir);
    state_->dir = nullptr;
}

}  // namespace qx::os
