#include "path_filter.h"

namespace qx::cli {
namespace {

// Whether `c` is in the set that starts at glob[at] (just after '['); moves
// `at` past the closing ']'. A set without its ']' is taken as a literal '['.
bool InSet(std::u16string_view glob, std::size_t& at, char16_t c, bool& valid) {
    std::size_t i = at;
    const bool negated = i < glob.size() && (glob[i] == u'!' || glob[i] == u'^');
    if (negated) ++i;
    bool found = false;
    bool first = true;
    while (i < glob.size() && (glob[i] != u']' || first)) {
        first = false;
        char16_t low = glob[i];
        if (low == u'\\' && i + 1 < glob.size()) low = glob[++i];
        char16_t high = low;
        if (i + 2 < glob.size() && glob[i + 1] == u'-' && glob[i + 2] != u']') {
            high = glob[i + 2];
            i += 2;
        }
        found = found || (c >= low && c <= high);
        ++i;
    }
    valid = i < glob.size();
    if (valid) at = i + 1;
    return found != negated;
}

}  // namespace

// Iterative matching with one saved position for the latest '*': when a later
// part fails, that star takes one more character. Linear in the text for each
// star, so a hostile name cannot make it slow.
bool GlobMatches(std::u16string_view glob, std::u16string_view text) {
    std::size_t g = 0, t = 0;
    std::size_t star_glob = std::u16string_view::npos, star_text = 0;
    while (t < text.size()) {
        if (g < glob.size()) {
            const char16_t p = glob[g];
            if (p == u'*') {
                star_glob = ++g;
                star_text = t;
                continue;
            }
            if (p == u'[') {
                std::size_t after = g + 1;
                bool valid = false;
                const bool in = InSet(glob, after, text[t], valid);
                if (valid && in) {
                    g = after, ++t;
                    continue;
                }
                if (!valid && text[t] == u'[') {
                    ++g, ++t;
                    continue;
                }
            } else if (p == u'?' || (p == u'\\' && g + 1 < glob.size() && glob[g + 1] == text[t]) ||
                       (p != u'\\' && p == text[t])) {
                g += p == u'\\' ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (star_glob == std::u16string_view::npos) return false;
        g = star_glob;
        t = ++star_text;
    }
    while (g < glob.size() && glob[g] == u'*') ++g;
    return g == glob.size();
}

bool PathFilter::Matches(const std::vector<std::u16string>& globs, std::u16string_view below_root,
                         std::u16string_view name) {
    for (const std::u16string& glob : globs) {
        if (GlobMatches(glob, name) || GlobMatches(glob, below_root)) return true;
    }
    return false;
}

}  // namespace qx::cli
