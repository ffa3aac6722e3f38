// The IP database file as the reader needs it: opened read-only as raw bytes,
// read at an offset, never past the end it had when it was opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace qx::netview {

class DatabaseFile {
  public:
    DatabaseFile() = default;
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;
    ~DatabaseFile() { Close(); }

    bool Open(const std::filesystem::path& path);
    bool IsOpen() const;
    void Close();

    // Size in bytes when opened; 0 while closed.
    std::int64_t Size() const { return size_; }

    // Reads up to `size` bytes at `offset`; returns how many arrived, 0 for an
    // offset outside the file.
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t size) const;

  private:
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(-1);
#else
    int fd_ = -1;
#endif
    std::int64_t size_ = 0;
};

// The folder of the running executable, with its trailing separator.
std::filesystem::path ExecutableFolder();

}  // namespace qx::netview
