#include "quarantine_io_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace qx::cli {

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Fd::~Fd() {
    if (fd_ >= 0) close(fd_);
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::runtime_error("SHA-256 is not available");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_);
}

void Sha256::Update(const void* bytes, std::size_t size) {
    EVP_DigestUpdate(context_, bytes, size);
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.HexDigest();
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_, digest, &size);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::string StepFailed(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string RandomName(std::string_view prefix) {
    std::random_device random;
    char digits[17];
    std::snprintf(digits, sizeof digits, "%08x%08x", random(), random());
    return std::string(prefix) + digits;
}

std::string CopyHashing(int from, int to, Sha256& hash, std::uint64_t& copied) {
    std::vector<char> buffer(1 << 16);
    copied = 0;
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return StepFailed("cannot read");
        if (got == 0) return {};
        hash.Update(buffer.data(), static_cast<std::size_t>(got));
        for (ssize_t done = 0; to >= 0 && done < got;) {
            const ssize_t put =
                write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return StepFailed("cannot write the copy");
            done += put;
        }
        copied += static_cast<std::uint64_t>(got);
    }
}

int RenameNoReplace(int dir, const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    if (linkat(dir, from, dir, to, 0) == 0) {
        unlinkat(dir, from, 0);  // a second name for the same bytes at worst
        return 0;
    }
    // A directory cannot be linked; renaming one replaces at most an empty
    // directory, never a file or a directory that holds anything.
    struct stat status;
    if (errno == EPERM && fstatat(dir, from, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode)) {
        return renameat(dir, from, dir, to);
    }
    return -1;
}

Fd OpenStore(const std::string& path, bool create, std::string& error) {
    if (create && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = StepFailed("cannot create the quarantine directory " + path);
        return {};
    }
    Fd store(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status;
    if (!store || fstat(store.get(), &status) != 0) {
        error = StepFailed("cannot open the quarantine directory " + path);
        return {};
    }
    if (status.st_uid != geteuid() && status.st_uid != 0) {
        error = "the quarantine directory " + path + " belongs to another user";
        return {};
    }
    if (status.st_mode & (S_IWGRP | S_IWOTH)) {
        error = "the quarantine directory " + path + " may be written by others than its owner";
        return {};
    }
    return store;
}

std::string RemoveEntry(int store, const std::string& name) {
    Fd entry(openat(store, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!entry) return StepFailed("cannot open the entry");
    for (const char* file : {"data", "record"}) {
        if (unlinkat(entry.get(), file, 0) != 0 && errno != ENOENT) {
            return StepFailed(std::string("cannot remove the entry's ") + file);
        }
    }
    if (unlinkat(store, name.c_str(), AT_REMOVEDIR) != 0)
        return StepFailed("cannot remove the entry");
    if (fsync(store) != 0) return StepFailed("cannot sync the quarantine directory");
    return {};
}

std::optional<QuarantineRecord> ReadRecord(int entry, std::string& error) {
    Fd file(openat(entry, "record", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file) {
        error = StepFailed("cannot open the entry's record");
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = StepFailed("cannot read the entry's record");
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > (1 << 20)) break;  // no record is this long
    }
    std::optional<QuarantineRecord> record =
        text.size() > (1 << 20) ? std::nullopt : ParseRecord(text);
    if (!record) error = "the entry's record is damaged";
    return record;
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace qx::cli
