// What the pattern fuzzers share: UTF-16 units from fuzz bytes, and a check
// that stops the run on a broken promise.
//
// Every byte is one unit; 0xFF followed by two bytes (little-endian) is any
// unit, so that NULs and units above 255 reach the engine too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace qx::fuzz {

// Appends the units of data[at..] to `units`, up to a 0 byte when
// `stopAtZero`; returns where it stopped (after that 0 byte).
inline std::size_t DecodeUnits(const std::uint8_t* data, std::size_t size, std::size_t at,
                               bool stopAtZero, std::u16string& units) {
    while (at < size) {
        const std::uint8_t byte = data[at++];
        if (byte == 0 && stopAtZero) break;
        if (byte == 0xFF && at + 1 < size) {
            units.push_back(static_cast<char16_t>(data[at] | (data[at + 1] << 8)));
            at += 2;
        } else {
            units.push_back(byte);
        }
    }
    return at;
}

inline void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace qx::fuzz
