// The engine's files: shared reading for the rules, exclusive read-write for
// the cleaner. Paths are UTF-16; on POSIX they map to bytes as os/path.h says.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qx::os {

#ifdef _WIN32
inline constexpr std::uint32_t kFileExists = 80;  // ERROR_FILE_EXISTS
#else
inline constexpr std::uint32_t kFileExists = EEXIST;
#endif

class Directory;

class File {
  public:
    enum class Mode {
        kSharedRead,          // read; other readers and writers allowed
        kExclusiveReadWrite,  // read and write, nobody else; never through a link
    };

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File() { Close(); }

    // Opens an existing regular file. False (and the system error in
    // LastError()) when it does not exist, is not a regular file, is reached
    // through a link in kExclusiveReadWrite mode, or cannot be opened.
    bool Open(std::u16string_view path, Mode mode);
    // The same for the entry `name` of an open directory.
    bool Open(const Directory& directory, std::u16string_view name, Mode mode);
    bool IsOpen() const;
    void Close();

    // Reads up to `size` bytes; returns the count (0 at the end) or -1.
    std::int64_t Read(void* buffer, std::size_t size);
    // Reads up to `size` bytes at `offset`; returns the count (short only at
    // the end of the file) or -1. Where Read continues afterwards is unspecified.
    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // The same in one call to the system, which may return fewer bytes
    // before the end (a regular file does so only at its end); 0 at the end.
    std::int64_t ReadSomeAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Writes all `size` bytes at `offset`; false on failure.
    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t size);
    // Size in bytes, or -1.
    std::int64_t Size() const;
    // The size it had when it was opened.
    std::int64_t SizeAtOpen() const { return size_at_open_; }
    // How many names the file has (hard links); 0 when it cannot be told.
    std::uint32_t LinkCount() const;
    // Whether the file, wherever links led to it, lies below the directory
    // `root` (on POSIX every open below a root goes through its directories
    // and never through a link, so this holds by construction).
    bool LiesBelow(const Directory& root) const;

    // The system error code of the last failed operation.
    std::uint32_t LastError() const { return last_error_; }

  private:
    friend bool WriteNewFile(std::u16string_view path, std::string_view bytes,
                             std::uint32_t& error);

#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(-1);
#else
    bool Adopt(int fd, Mode mode);
    int fd_ = -1;
#endif
    std::int64_t size_at_open_ = 0;
    mutable std::uint32_t last_error_ = 0;
};

// Writes `bytes` to a new file at `path` (never over an existing one, never
// through a link) and has it reach the disk; false, with the system's code in
// `error` (kFileExists when the path is taken), when it cannot. A file that
// could not be written whole is removed.
bool WriteNewFile(std::u16string_view path, std::string_view bytes, std::uint32_t& error);

}  // namespace qx::os
