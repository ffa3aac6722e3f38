#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "os/dir_reader.h"
#include "os/path.h"

namespace qx::os {

std::size_t DirectoriesToHold() {
    // A quarter of the soft limit: the rest stays for the files under way
    // and for the program around the engine.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 16;
    return std::max<std::size_t>(16, std::min<rlim_t>(limit.rlim_cur, 1 << 18) / 4);
}

Directory::~Directory() {
    if (fd_ >= 0) ::close(fd_);
}

bool Directory::OpenRoot(std::u16string_view path) {
    path_.assign(path);
    fd_ = ::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    last_error_ = fd_ < 0 ? static_cast<std::uint32_t>(errno) : 0;
    return fd_ >= 0;
}

bool Directory::OpenChild(const Directory& parent, std::u16string_view name) {
    path_.clear();
    path_.append(parent.path_).push_back(kPathSeparator);
    path_.append(name);
    // O_NOFOLLOW: a directory swapped for a link after it was listed is not
    // followed out of the tree.
    fd_ = ::openat(parent.fd_, NativeName(name), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    last_error_ = fd_ < 0 ? static_cast<std::uint32_t>(errno) : 0;
    return fd_ >= 0;
}

struct DirReader::State {
    DIR* dir = nullptr;
};

DirReader::DirReader() : state_(std::make_unique<State>()) {}
DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(const Directory& directory) {
    Close();
    // A descriptor of its own, so that listing leaves the directory's alone.
    const int fd = ::openat(directory.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) state_->dir = fdopendir(fd);
    if (state_->dir == nullptr) {
        last_error_ = static_cast<std::uint32_t>(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    last_error_ = 0;
    return true;
}

bool DirReader::Next(DirEntry& entry) {
    if (state_->dir == nullptr) return false;
    errno = 0;
    const dirent* d = readdir(state_->dir);
    if (d == nullptr) {
        last_error_ = static_cast<std::uint32_t>(errno);
        return false;
    }
    PathFromNative(d->d_name, entry.name);
    const int fd = dirfd(state_->dir);
    unsigned char type = d->d_type;
    struct stat info;
    if (type == DT_UNKNOWN && fstatat(fd, d->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR) {
        entry.kind = EntryKind::kDirectory;
    } else if (type == DT_LNK && fstatat(fd, d->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)) {
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

std::string ErrorText(std::uint32_t error) {
    return std::strerror(static_cast<int>(error));
}

}  // namespace qx::os
