// A temporary directory tree for tests, removed again at the end of the test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qx::test {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The root (or `relative` below it) as the engine takes paths.
    std::u16string Path(std::string_view relative = {}) const;

    // Writes `bytes` to `relative` (UTF-8), creating parent directories.
    std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;
    std::filesystem::path MakeDirectory(std::string_view relative) const;
    std::string Read(std::string_view relative) const;

  private:
    std::filesystem::path root_;
};

// The bytes of `text` as UTF-16 little-endian (with a byte-order mark when asked).
std::string Utf16Le(std::u16string_view text, bool mark = true);
std::string Utf16Be(std::u16string_view text, bool mark = true);

}  // namespace qx::test
