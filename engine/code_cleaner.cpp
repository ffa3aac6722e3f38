#include "code_cleaner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "os/codepage.h"
#include "os/file.h"
#include "os/path.h"
#include "quick_search.h"
#include "tree_walk.h"

namespace qx {
namespace {

constexpr std::size_t kMaxAnsiPatternBytes = 1023;

constexpr std::array<std::u16string_view, 9> kCleanableExtensions = {
    u".htm", u".html", u".js", u".css", u".asp", u".aspx", u".php", u".jsp", u".txt"};

bool IsCleanable(std::u16string_view name) {
    const std::u16string_view extension = os::Extension(name);
    return std::any_of(
        kCleanableExtensions.begin(), kCleanableExtensions.end(),
        [&](std::u16string_view e) { return os::EqualsIgnoringAsciiCase(extension, e); });
}

// Replaces the first occurrence of the first form found; false when none is.
bool BlankFirstOccurrence(const CleanCode& code, std::uint8_t* bytes, std::size_t size) {
    for (const CleanForm* form : {&code.utf8, &code.ansi, &code.utf16}) {
        const auto* pattern = reinterpret_cast<const std::uint8_t*>(form->pattern.data());
        const std::ptrdiff_t at = QuickSearch(bytes, size, pattern, form->pattern.size());
        if (at >= 0) {
            std::memcpy(bytes + at, form->blanks.data(), form->blanks.size());
            return true;
        }
    }
    return false;
}

class CleanVisitor : public TreeVisitor {
  public:
    CleanVisitor(const CleanCode& code, CleanClient& client) : code_(code), client_(client) {}

    bool StopRequested() const override { return client_.StopRequested(); }

    void OnDirectory(const std::u16string& directory) override { client_.OnDirectory(directory); }

    void OnFile(const std::u16string& path, bool cut, std::u16string_view name) override {
        client_.OnFile(path);
        // A cut path names some other file: it is never written.
        if (cut || !IsCleanable(name)) return;
        const CleanResult result = CleanFile(code_, path, chunk_);
        if (result != CleanNoMatch) client_.OnPageResult(path, result);
    }

  private:
    const CleanCode& code_;
    CleanClient& client_;
    std::vector<std::uint8_t> chunk_;
};

}  // namespace

CleanCode BuildCleanCode(std::u16string_view text) {
    CleanCode code;
    code.set = true;
    code.ansi.pattern = os::Utf16ToAnsi(text).substr(0, kMaxAnsiPatternBytes);
    code.ansi.blanks.assign(code.ansi.pattern.size(), ' ');

    // Back through the code page, so that characters it cannot hold stand as
    // its replacement character in the other forms too.
    std::u16string units;
    if (!os::AnsiToUtf16(code.ansi.pattern, units)) units.assign(text);
    code.utf16.pattern.assign(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i + 1 < code.utf16.pattern.size(); i += 2) {
            std::swap(code.utf16.pattern[i], code.utf16.pattern[i + 1]);
        }
    }
    for (std::size_t i = 0; i < units.size(); ++i) code.utf16.blanks.append({' ', '\0'});

    code.utf8.pattern = os::Utf16ToUtf8(units);
    code.utf8.blanks.assign(code.utf8.pattern.size(), ' ');
    return code;
}

CleanResult CleanFile(const CleanCode& code, std::u16string_view path,
                      std::vector<std::uint8_t>& chunk) {
    // A session whose clean code was never set changes nothing: not even an open.
    if (!code.set || code.utf8.pattern.empty()) return CleanNoMatch;
    os::File file;
    if (!file.Open(path, os::File::Mode::kExclusiveReadWrite)) return CleanNoMatch;
    const std::int64_t size = file.Size();
    if (size <= 0 || size > static_cast<std::int64_t>(kMaxPageBytes)) return CleanNoMatch;

    chunk.resize(kCleanChunkBytes);
    CleanResult result = CleanNoMatch;
    for (std::uint64_t offset = 0;;) {
        if (!file.Seek(offset)) break;
        std::fill(chunk.begin(), chunk.end(), 0);
        const std::int64_t read = file.Read(chunk.data(), chunk.size());
        if (read <= 0) break;
        const auto count = static_cast<std::size_t>(read);
        if (!BlankFirstOccurrence(code, chunk.data(), count)) {
            offset += count;
            continue;
        }
        result = CleanFailed;
        if (file.Seek(offset) && file.Write(chunk.data(), count)) result = CleanSucceeded;
        break;
    }
    return result;
}

int CleanTree(const std::u16string& root, const CleanCode& code, CleanClient& client) {
    CleanVisitor visitor(code, client);
    return WalkTree(root, visitor);
}

}  // namespace qx
