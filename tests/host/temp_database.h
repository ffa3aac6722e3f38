// A database built by the writer, in a file of its own for the length of a test.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include "host/qqwry_writer.h"

class TempDatabase {
  public:
    explicit TempDatabase(const qx::host::QqwryImage& image) : TempDatabase(image.bytes) {}
    explicit TempDatabase(const std::vector<std::uint8_t>& bytes) {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("qx-qqwry-" + std::to_string(Pid()) + "-" + std::to_string(counter++) + ".dat");
        qx::host::WriteQqwryFile(path_, qx::host::QqwryImage{bytes, {}, 0, 0});
    }
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;
    ~TempDatabase() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }

  private:
    static long Pid();
    std::filesystem::path path_;
};

#ifdef _WIN32
#include <process.h>
inline long TempDatabase::Pid() {
    return _getpid();
}
#else
#include <unistd.h>
inline long TempDatabase::Pid() {
    return getpid();
}
#endif
