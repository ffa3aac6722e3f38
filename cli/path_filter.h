// The files and directories that a scan leaves out (--exclude and
// --exclude-dir): a glob matches a file's or directory's own name or its path
// below the PATH given. Globs take `*` (any run of characters, `/` included),
// `?` (one character), `[...]` and `[!...]` (a set, with ranges), and `\` to
// take the next character as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx::cli {

bool GlobMatches(std::u16string_view glob, std::u16string_view text);

class PathFilter {
  public:
    void ExcludeFiles(std::u16string glob) { files_.push_back(std::move(glob)); }
    void ExcludeDirectories(std::u16string glob) { directories_.push_back(std::move(glob)); }

    bool ExcludesFiles() const { return !files_.empty(); }
    bool ExcludesDirectories() const { return !directories_.empty(); }
    bool ExcludesFile(std::u16string_view below_root, std::u16string_view name) const {
        return Matches(files_, below_root, name);
    }
    bool ExcludesDirectory(std::u16string_view below_root, std::u16string_view name) const {
        return Matches(directories_, below_root, name);
    }

  private:
    static bool Matches(const std::vector<std::u16string>& globs, std::u16string_view below_root,
                        std::u16string_view name);

    std::vector<std::u16string> files_, directories_;
};

}  // namespace qx::cli
