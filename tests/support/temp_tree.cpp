#include "temp_tree.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qx::test {
namespace {

std::filesystem::path Relative(std::string_view relative) {
    return std::filesystem::path(std::u8string(relative.begin(), relative.end()));
}

}  // namespace

TempTree::TempTree() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() /
            ("quellix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(root_);
}

TempTree::~TempTree() {
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

std::u16string TempTree::Path(std::string_view relative) const {
    std::filesystem::path p = relative.empty() ? root_ : root_ / Relative(relative);
    return p.make_preferred().u16string();
}

std::filesystem::path TempTree::Write(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path p = root_ / Relative(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write test file");
    return p;
}

std::filesystem::path TempTree::MakeDirectory(std::string_view relative) const {
    const std::filesystem::path p = root_ / Relative(relative);
    std::filesystem::create_directories(p);
    return p;
}

std::string TempTree::Read(std::string_view relative) const {
    std::ifstream in(root_ / Relative(relative), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Utf16Le(std::u16string_view text, bool mark) {
    std::string out = mark ? "\xFF\xFE" : "";
    for (char16_t u : text) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::string Utf16Be(std::u16string_view text, bool mark) {
    std::string out = mark ? "\xFE\xFF" : "";
    for (char16_t u : text) {
        out.push_back(static_cast<char>(u >> 8));
        out.push_back(static_cast<char>(u & 0xFF));
    }
    return out;
}

}  // namespace qx::test
