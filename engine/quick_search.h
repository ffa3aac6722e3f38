// Sunday's quick search: a Boyer-Moore variant that shifts on the byte just
// past the window.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx {

// Position of the first occurrence of the pattern in the haystack, or -1.
// An empty pattern occurs at 0.
std::ptrdiff_t QuickSearch(const std::uint8_t* haystack, std::size_t haystack_size,
                           const std::uint8_t* pattern, std::size_t pattern_size);

}  // namespace qx
