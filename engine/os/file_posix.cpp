#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "os/dir_reader.h"
#include "os/file.h"
#include "os/path.h"

namespace qx::os {
namespace {

int OpenFlags(File::Mode mode) {
    // O_NONBLOCK keeps a FIFO planted in the tree from stalling the open;
    // only regular files are accepted, on which it changes nothing.
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    return flags | (mode == File::Mode::kSharedRead ? O_RDONLY : (O_RDWR | O_NOFOLLOW));
}

}  // namespace

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_at_open_(other.size_at_open_),
      last_error_(other.last_error_) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_at_open_ = other.size_at_open_;
        last_error_ = other.last_error_;
    }
    return *this;
}

bool File::Open(std::u16string_view path, Mode mode) {
    Close();
    return Adopt(::open(NativePath(path).c_str(), OpenFlags(mode)), mode);
}

bool File::Open(const Directory& directory, std::u16string_view name, Mode mode) {
    Close();
    return Adopt(::openat(directory.Descriptor(), NativeName(name), OpenFlags(mode)), mode);
}

bool File::Adopt(int fd, Mode mode) {
    if (fd < 0) {
        last_error_ = static_cast<std::uint32_t>(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        last_error_ = EINVAL;
        ::close(fd);
        return false;
    }
    // The cleaner holds the page alone while it works on it, as far as the
    // platform lets one process keep others out (advisory locks).
    if (mode == Mode::kExclusiveReadWrite && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        last_error_ = static_cast<std::uint32_t>(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_at_open_ = info.st_size;
    return true;
}

bool File::IsOpen() const {
    return fd_ >= 0;
}

void File::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::int64_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        last_error_ = static_cast<std::uint32_t>(errno);
        return -1;
    }
}

std::int64_t File::ReadSomeAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    for (;;) {
        const ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        last_error_ = static_cast<std::uint32_t>(errno);
        return -1;
    }
}

std::int64_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            last_error_ = static_cast<std::uint32_t>(errno);
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool File::WriteAt(std::uint64_t offset, const void* buffer, std::size_t size) {
    const auto* p = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            last_error_ = n < 0 ? static_cast<std::uint32_t>(errno) : EIO;
            return false;
        }
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::int64_t File::Size() const {
    struct stat info;
    if (fstat(fd_, &info) != 0) return -1;
    return info.st_size;
}

std::uint32_t File::LinkCount() const {
    struct stat info;
    if (fstat(fd_, &info) != 0) return 0;
    return static_cast<std::uint32_t>(info.st_nlink);
}

bool File::LiesBelow(const Directory&) const {
    return true;
}

bool WriteNewFile(std::u16string_view path, std::string_view bytes, std::uint32_t& error) {
    const std::string native = NativePath(path);
    const int fd =
        ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = static_cast<std::uint32_t>(errno);
        return false;
    }
    File file;
    file.fd_ = fd;
    const bool written = file.WriteAt(0, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    error = written
                ? 0
                : (file.last_error_ != 0 ? file.last_error_ : static_cast<std::uint32_t>(errno));
    file.Close();
    if (!written) ::unlink(native.c_str());
    return written;
}

}  // namespace qx::os
