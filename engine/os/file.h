// The engine's files: shared reading for the rules, exclusive read-write for
// the cleaner. Paths are UTF-16; on POSIX they map to bytes as os/path.h says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qx::os {

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
    bool IsOpen() const;
    void Close();

    // Reads up to `size` bytes; returns the count (0 at the end) or -1.
    std::int64_t Read(void* buffer, std::size_t size);
    // Writes all `size` bytes; false on failure.
    bool Write(const void* buffer, std::size_t size);
    bool Seek(std::uint64_t offset);
    // Reads up to `size` bytes at `offset`; returns the count (short only at
    // the end of the file) or -1. Where Read continues afterwards is unspecified.
    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Size in bytes, or -1.
    std::int64_t Size() const;

    // The system error code of the last failed operation.
    std::uint32_t LastError() const { return last_error_; }

  private:
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(-1);
#else
    int fd_ = -1;
#endif
    std::uint32_t last_error_ = 0;
};

}  // namespace qx::os
