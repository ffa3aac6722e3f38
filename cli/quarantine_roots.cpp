// Whether a quarantine directory lies inside a scanned tree.
#include <algorithm>
#include <filesystem>

#include "quarantine.h"

namespace qx::cli {
namespace {

// The path with links and ".." resolved as far as it exists, and without a
// trailing separator.
std::filesystem::path Resolved(const std::string& utf8) {
    const std::filesystem::path path(std::u8string(utf8.begin(), utf8.end()));
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) resolved = std::filesystem::absolute(path, error).lexically_normal();
    if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();
    return resolved;
}

}  // namespace

bool InsideAny(const std::string& dir, const std::vector<std::string>& roots) {
    const std::filesystem::path resolved = Resolved(dir);
    return std::any_of(roots.begin(), roots.end(), [&resolved](const std::string& root) {
        const std::filesystem::path top = Resolved(root);
        return std::mismatch(top.begin(), top.end(), resolved.begin(), resolved.end()).first ==
               top.end();
    });
}

}  // namespace qx::cli
