#include "quick_search.h"

#include <array>
#include <cstring>

namespace qx {

std::ptrdiff_t QuickSearch(const std::uint8_t* haystack, std::size_t n, const std::uint8_t* pattern,
                           std::size_t m) {
    if (m > n) return -1;
    if (m == 0) return 0;
    std::array<std::size_t, 256> shift;
    shift.fill(m + 1);
    for (std::size_t j = 0; j < m; ++j) shift[pattern[j]] = m - j;
    for (std::size_t p = 0; p <= n - m;) {
        if (haystack[p] == pattern[0] && std::memcmp(haystack + p + 1, pattern + 1, m - 1) == 0) {
            return static_cast<std::ptrdiff_t>(p);
        }
        if (p + m >= n) break;
        p += shift[haystack[p + m]];
    }
    return -1;
}

}  // namespace qx
