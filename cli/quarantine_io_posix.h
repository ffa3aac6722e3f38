// The file steps that quarantining and restoring share, on POSIX descriptors.
// Every step that can fail says which step it was and why (strerror).
#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "quarantine_record.h"

namespace qx::cli {

class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    ~Fd();
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void Update(const void* bytes, std::size_t size);
    // Lowercase hex; ends the computation.
    std::string HexDigest();

  private:
    EVP_MD_CTX* context_;
};

std::string Sha256Hex(std::string_view bytes);

// "WHAT: strerror(errno)".
std::string StepFailed(std::string_view what);

// A name no other run will pick: `prefix` and 16 random hex digits.
std::string RandomName(std::string_view prefix);

// Copies `from` to its end into `to` (nowhere when -1), hashing what it
// copies. Empty on success, otherwise which side failed and why.
std::string CopyHashing(int from, int to, Sha256& hash, std::uint64_t& copied);

// Renames `from` to `to` in directory `dir`, failing with EEXIST rather than
// replacing what is at `to`. Links and unlinks where the file system has no
// such rename.
int RenameNoReplace(int dir, const char* from, const char* to);

// Opens the quarantine directory, creating it 0700 first when asked. Refused
// when a group or others may write to it, or a user other than this one or
// root owns it: they could swap an entry before it is restored.
Fd OpenStore(const std::string& path, bool create, std::string& error);

// Removes entry `name` of the store (its files, then itself) and syncs the
// store. Empty on success, otherwise why not.
std::string RemoveEntry(int store, const std::string& name);

// The record of the entry open at `entry`; nullopt and why when it cannot be read.
std::optional<QuarantineRecord> ReadRecord(int entry, std::string& error);

// "/a/b/c" as {"/a/b", "c"}; "c" as {".", "c"}.
std::pair<std::string, std::string> SplitPath(const std::string& path);

}  // namespace qx::cli
