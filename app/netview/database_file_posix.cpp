#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "database_file.h"

namespace qx::netview {

bool DatabaseFile::Open(const std::filesystem::path& path) {
    Close();
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat status {};
    if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        Close();
        return false;
    }
    size_ = status.st_size;
    return true;
}

bool DatabaseFile::IsOpen() const {
    return fd_ >= 0;
}

void DatabaseFile::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    size_ = 0;
}

std::size_t DatabaseFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size) const {
    if (fd_ < 0 || offset < 0 || offset >= size_) return 0;
    size = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(size), size_ - offset));
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd_, static_cast<char*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path() / "";
}

}  // namespace qx::netview
